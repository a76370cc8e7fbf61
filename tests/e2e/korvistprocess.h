#pragma once

#include <QProcess>

// The real KorvistDriver binary in a child process, with what it logs.
class KorvistProcess : public QObject
{
    Q_OBJECT

public:
    explicit KorvistProcess(QObject *parent = nullptr);
    ~KorvistProcess() override;

    // asUser: another user id to run as (the test must be root), or -1 for the test's own.
    void start(const QStringList &extraEnvironment = {}, int asUser = -1);
    // Another command line that runs the program (wine with the Windows build).
    void start(const QStringList &command, const QProcessEnvironment &environment);
    // Waits until the log holds the text; false when the process ends first or time runs out.
    bool waitForLog(const QString &text, int timeoutMs = 20000);
    bool waitForExit(int timeoutMs = 20000);
    QString log() const { return QString::fromUtf8(output); }
    bool isRunning() const { return process.state() != QProcess::NotRunning; }
    qint64 processId() const { return process.processId(); }
    int exitCode() const { return process.exitCode(); }
    QProcess::ExitStatus exitStatus() const { return process.exitStatus(); }
    void kill9();
    // Ends the program the way a session logout would, and waits.
    void terminate();

private:
    QProcess process;
    QByteArray output;
};
