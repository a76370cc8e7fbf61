#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

namespace surface {

// A dragged fader sends some 60 values a second: each control's changes go
// on at most once per kIntervalMs, the latest value winning, so the device
// never works through a backlog of values already overtaken.
class ChangeThrottle : public QObject
{
public:
    static constexpr int kIntervalMs = 40;

    // apply(name, value) carries a change out.
    explicit ChangeThrottle(std::function<void(const QString &, int)> apply, QObject *parent = nullptr);

    void request(const QString &control, int value);
    // The value a control is going to, if one waits.
    std::optional<int> waiting(const QString &control) const;
    // Forgets what waits: the panel it was for is gone, or a preset overtook it.
    void clear();

private:
    void flush();

    std::function<void(const QString &, int)> apply;
    QHash<QString, QElapsedTimer> lastApplied;
    QHash<QString, int> pending;
    QTimer timer;
};

} // namespace surface
