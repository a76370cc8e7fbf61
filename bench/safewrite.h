#pragma once

#include <QByteArray>
#include <QString>

// The two ways a floor writes an ini file's bytes: plainly, with no safety at
// all, and as safely as the panel's settings file is written (a temporary file
// beside the target, flushed to disk, renamed over it), but without the lock
// file and the bookkeeping around it.
bool writePlainly(const QString &path, const QByteArray &bytes);
bool writeSafely(const QString &path, const QByteArray &bytes);
