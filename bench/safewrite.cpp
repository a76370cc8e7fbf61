#include "safewrite.h"

#include <QFile>
#include <QSaveFile>

bool writePlainly(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

bool writeSafely(const QString &path, const QByteArray &bytes)
{
    // commit() flushes the temporary file to disk before it renames it.
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}
