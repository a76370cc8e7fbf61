#pragma once

#include <simdevice.h>

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// The Windows program's replay against the Linux program's, from the same
// saved files: each as the simulated device journals it.

// Logged as the panel goes and "声卡未连接！" takes its place.
inline const QString kDeviceLost = QStringLiteral("Cleared all widgets from base layout.");

// The requests of a journal but the reads that timers repeat (product id,
// meters, USB status).
QList<SimJournalEntry> replayRequests(QList<SimJournalEntry> journal);
// The replay requests of a journal once they have stopped growing for a while.
QList<SimJournalEntry> settledReplay(const std::function<QList<SimJournalEntry>()> &journal);
// Puts the *.ini files of one directory into another, replacing what is there.
void copySavedFiles(const QString &from, const QString &to);
// The Linux program's replay against `korvist-sim device` from the saved
// files: at the first plug, or at a replug with the files put back while unplugged.
QList<SimJournalEntry> posixReplay(const QString &savedFilesDir, bool replug);
// A line per request (code, input in hex, output size, status), for comparing and for failure messages.
QStringList describe(const QList<SimJournalEntry> &requests);
