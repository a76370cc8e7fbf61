#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

// One korvist-sim subcommand in a child process. Its standard output goes to
// a file, not a pipe: a pipe that nobody drains while a test blocks in a
// device or pipe call would fill up and stall the simulator. Its standard
// error (usage errors, sanitizer reports) lands in the test's log. The child
// inherits the environment, so under an Isolation it serves the test's own
// runtime directory.
class SimProcess
{
public:
    SimProcess();
    ~SimProcess(); // stop(), or kill9() if that fails
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    // Starts `korvist-sim <arguments>` and waits for the whole "ready <text>"
    // line it prints once it serves; gives that text. Nothing (with a warning)
    // if it exits or never gets ready.
    std::optional<QString> start(const QStringList &arguments);
    // SIGTERM, then waits: true when it exited normally with 0.
    bool stop();
    void kill9();
    bool isRunning();
    qint64 processId() const { return process.processId(); }

    // Everything it printed to standard output, over all starts.
    QString output() const;
    // A file of the caller's beside the output, gone with this object.
    QString filePath(const QString &name) const { return dir.filePath(name); }

private:
    QString outputPath() const { return dir.filePath(QStringLiteral("stdout.txt")); }
    QString label() const;

    QTemporaryDir dir;
    QProcess process;
    QStringList lastArguments;
};
