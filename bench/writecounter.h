#pragma once

#include <QString>

// Counts the complete files that land on one name in one directory from
// construction on: the settings file is created, or a temporary file renamed
// over it, once per sync that wrote it. So the replay's safe writes are
// counted without touching the product.
class WriteCounter
{
public:
    WriteCounter(const QString &directory, const QString &fileName);
    ~WriteCounter();
    WriteCounter(const WriteCounter &) = delete;
    WriteCounter &operator=(const WriteCounter &) = delete;

    // -1 when the directory could not be watched.
    int count();

private:
    int descriptor = -1;
    QString name;
    int writes = 0;
};
