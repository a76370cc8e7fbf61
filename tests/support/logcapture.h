#pragma once

#include <QStringList>

// Collects every Qt log line (debug, info, warning) for as long as it lives,
// formatted as qDebug prints it, from any thread. One capture at a time.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList lines() const;
    bool contains(const QString &line) const { return lines().contains(line); }
    int count(const QString &line) const { return int(lines().count(line)); }
    void clear();
};
