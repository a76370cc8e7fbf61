#include "simpipe.h"

#include <QDeadlineTimer>
#include <QFile>

namespace {

// Generous: sanitizer builds on a busy machine start slowly.
constexpr int kStartTimeoutMs = 30000;
constexpr int kStopTimeoutMs = 30000;

QString readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

SimPipePeer::SimPipePeer(const QStringList &peerArguments)
    : arguments(peerArguments)
{
    // A file, not a pipe: nobody drains a pipe while a test blocks in a pipe call.
    process.setStandardOutputFile(outputPath());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

SimPipePeer::~SimPipePeer()
{
    if (process.state() != QProcess::NotRunning && !stop())
        kill9();
}

bool SimPipePeer::start()
{
    process.start(QStringLiteral(KORVIST_SIM_PATH), arguments);
    if (!process.waitForStarted(kStartTimeoutMs)) {
        qWarning("SimPipePeer: cannot start %s: %s", KORVIST_SIM_PATH, qPrintable(process.errorString()));
        return false;
    }
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!deadline.hasExpired()) {
        if (output().startsWith(QLatin1String("ready ")) && output().contains('\n'))
            return true;
        if (process.waitForFinished(10)) {
            qWarning("SimPipePeer: korvist-sim %s exited with %d before it was ready",
                     qPrintable(arguments.join(' ')), process.exitCode());
            return false;
        }
    }
    qWarning("SimPipePeer: korvist-sim %s was not ready within %d ms", qPrintable(arguments.join(' ')),
             kStartTimeoutMs);
    kill9();
    return false;
}

bool SimPipePeer::stop()
{
    if (process.state() == QProcess::NotRunning)
        return false;
    process.terminate();
    if (!process.waitForFinished(kStopTimeoutMs)) {
        qWarning("SimPipePeer: korvist-sim %s ignored SIGTERM", qPrintable(arguments.join(' ')));
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

void SimPipePeer::kill9()
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.kill();
    process.waitForFinished(kStopTimeoutMs);
}

QString SimPipePeer::output() const
{
    return readFile(outputPath());
}

QStringList SimPipePeer::messages() const
{
    QStringList found;
    const QStringList lines = output().split('\n');
    for (const QString &line : lines)
        if (line.startsWith(QLatin1String("message ")))
            found.append(line.mid(8));
    return found;
}

SimPipePeer::Result SimPipePeer::run(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(KORVIST_SIM_PATH), arguments);
    Result result;
    if (!process.waitForFinished(kStartTimeoutMs) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.output = QString::fromUtf8(process.readAllStandardOutput());
    result.errors = QString::fromUtf8(process.readAllStandardError());
    return result;
}
