#pragma once

#include "simprocess.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One request as `korvist-sim device` journaled it.
struct SimJournalEntry
{
    qint64 seq = 0;      // from 1 over all connections of one run
    int conn = 0;        // connection number, from 1 in accept order
    quint32 code = 0;    // I/O control code
    QByteArray in;       // the request's bytes
    quint32 outSize = 0; // what the request offered for the reply
    quint32 status = 0;  // 0 or the Win32 error answered
};

// A journal of `korvist-sim device` or of the simulated Windows driver (same lines).
QList<SimJournalEntry> readSimJournal(const QString &path);

// A simulated device in a child process (`korvist-sim device`), for tests that
// run inside an Isolation: the child inherits the environment, so its
// interface appears in the test's own runtime directory. start() is a plug,
// stop() an unplug, start() again a replug; kill9() leaves a stale interface
// entry behind, as a crashed driver would.
class SimDevice
{
public:
    explicit SimDevice(const QString &model = QStringLiteral("rk1"));

    // Starts `korvist-sim device --model <model> --journal <file> <extraArgs>` and
    // waits until it is ready. False (with a warning) if it exits or never gets ready.
    bool start(const QStringList &extraArgs = {});
    // SIGTERM, then waits: true when the simulator exited normally with 0.
    bool stop() { return process.stop(); }
    void kill9() { process.kill9(); }
    // SIGUSR1: the next product-id read fails once.
    void glitch();
    bool isRunning() { return process.isRunning(); }

    // The interface's socket, as announced by the "ready" line of the last start.
    QString socketPath() const { return path; }
    // Everything the simulator printed to stdout, over all starts.
    QString output() const { return process.output(); }

    // The journal accumulates over all starts of this object; seq restarts at each.
    QString journalPath() const { return process.filePath(QStringLiteral("journal.jsonl")); }
    QList<SimJournalEntry> journal() const;
    QList<SimJournalEntry> journal(quint32 code) const;
    // The requests that carried input: what was sent, not the polls that run on their own.
    qsizetype requestsSent() const;

private:
    QString model;
    SimProcess process;
    QString path;
};
