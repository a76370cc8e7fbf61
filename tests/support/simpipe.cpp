#include "simpipe.h"

#include <QProcess>

namespace {
// Generous: sanitizer builds on a busy machine start slowly.
constexpr int kRunTimeoutMs = 30000;
} // namespace

SimPipePeer::SimPipePeer(const QStringList &peerArguments)
    : arguments(peerArguments)
{
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
    if (!process.waitForFinished(kRunTimeoutMs) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.output = QString::fromUtf8(process.readAllStandardOutput());
    result.errors = QString::fromUtf8(process.readAllStandardError());
    return result;
}
