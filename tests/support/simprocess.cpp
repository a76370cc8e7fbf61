#include "simprocess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// Generous: sanitizer builds on a busy machine start slowly.
constexpr int kStartTimeoutMs = 30000;
constexpr int kStopTimeoutMs = 30000;

} // namespace

SimProcess::SimProcess()
{
    process.setStandardOutputFile(outputPath(), QIODevice::Append);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

SimProcess::~SimProcess()
{
    if (process.state() != QProcess::NotRunning && !stop())
        kill9();
}

QString SimProcess::label() const
{
    return QStringLiteral("korvist-sim ") + lastArguments.value(0);
}

std::optional<QString> SimProcess::start(const QStringList &arguments)
{
    lastArguments = arguments;
    const qint64 outputBefore = QFileInfo(outputPath()).size();
    process.start(QStringLiteral(KORVIST_SIM_PATH), arguments);
    if (!process.waitForStarted(kStartTimeoutMs)) {
        qWarning("%s: cannot start: %s", qPrintable(label()), qPrintable(process.errorString()));
        return std::nullopt;
    }
    // Only a whole line counts: the file may be read while it is half written.
    static const QRegularExpression readyLine(QStringLiteral("^ready ([^\n]+)\n"),
                                              QRegularExpression::MultilineOption);
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!deadline.hasExpired()) {
        const QRegularExpressionMatch match = readyLine.match(output().mid(int(outputBefore)));
        if (match.hasMatch())
            return match.captured(1);
        if (process.waitForFinished(10)) {
            qWarning("%s exited with %d before it was ready", qPrintable(label()), process.exitCode());
            return std::nullopt;
        }
    }
    qWarning("%s was not ready within %d ms", qPrintable(label()), kStartTimeoutMs);
    kill9();
    return std::nullopt;
}

bool SimProcess::stop()
{
    if (process.state() == QProcess::NotRunning)
        return false;
    process.terminate();
    if (!process.waitForFinished(kStopTimeoutMs)) {
        qWarning("%s ignored SIGTERM", qPrintable(label()));
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

void SimProcess::kill9()
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.kill();
    process.waitForFinished(kStopTimeoutMs);
}

bool SimProcess::isRunning()
{
    // Lets QProcess notice an exit that no event loop has reported yet.
    process.waitForFinished(0);
    return process.state() == QProcess::Running;
}

QString SimProcess::output() const
{
    QFile file(outputPath());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
