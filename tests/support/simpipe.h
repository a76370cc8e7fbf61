#pragma once

#include "simprocess.h"

#include <QString>
#include <QStringList>

// A pipe peer of the product in a child process, `korvist-sim audio-service`
// or `korvist-sim asio-driver`, for tests that run inside an Isolation (the
// child inherits the environment, so it serves the test's own pipes).
class SimPipePeer
{
public:
    // arguments: the subcommand and its options, e.g. {"audio-service", "--busy"}.
    explicit SimPipePeer(const QStringList &arguments);

    // Starts the peer and waits until it serves. False (with a warning) if it
    // exits or never gets ready.
    bool start() { return process.start(arguments).has_value(); }
    // SIGTERM, then waits: true when the peer exited normally with 0.
    bool stop() { return process.stop(); }
    // Leaves its socket and lock file behind, as a crash would.
    void kill9() { process.kill9(); }
    qint64 processId() const { return process.processId(); }

    // Everything the peer printed to stdout.
    QString output() const { return process.output(); }
    // What follows "message " on each of its message lines, in order:
    // "28 bytes: \"START_MONITOR\\u0000\"" for the audio service, "1 bytes: 31" for the ASIO driver.
    QStringList messages() const;

    struct Result
    {
        int exitCode = -1;
        QString output;
        QString errors;
    };
    // Runs a one-shot subcommand (asio-notify) to its end.
    static Result run(const QStringList &arguments);

private:
    QStringList arguments;
    SimProcess process;
};
