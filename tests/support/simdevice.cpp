#include "simdevice.h"

#include <csignal>

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

// Generous: sanitizer builds on a busy machine start slowly.
constexpr int kStartTimeoutMs = 30000;
constexpr int kStopTimeoutMs = 30000;

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

SimDevice::SimDevice(const QString &deviceModel)
    : model(deviceModel)
{
    // The simulator's chatter goes to a file: a pipe that nobody drains while a
    // test blocks in a device call would fill up and stall the simulator.
    // Its stderr (usage errors, sanitizer reports) lands in the test's log.
    process.setStandardOutputFile(outputPath(), QIODevice::Append);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

SimDevice::~SimDevice()
{
    if (process.state() != QProcess::NotRunning && !stop())
        kill9();
}

bool SimDevice::start(const QStringList &extraArgs)
{
    path.clear();
    const qint64 outputBefore = QFileInfo(outputPath()).size();
    process.start(QStringLiteral(KORVIST_SIM_PATH),
                  QStringList {QStringLiteral("device"), QStringLiteral("--model"), model,
                               QStringLiteral("--journal"), journalPath()}
                      + extraArgs);
    if (!process.waitForStarted(kStartTimeoutMs)) {
        qWarning("SimDevice: cannot start %s: %s", KORVIST_SIM_PATH, qPrintable(process.errorString()));
        return false;
    }
    // Only a whole line counts: the file may be read while the path is half written.
    static const QRegularExpression readyLine(QStringLiteral("^ready ([^\n]+)\n"),
                                              QRegularExpression::MultilineOption);
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!deadline.hasExpired()) {
        const QString printed = QString::fromLocal8Bit(readFile(outputPath()).mid(outputBefore));
        const QRegularExpressionMatch match = readyLine.match(printed);
        if (match.hasMatch()) {
            path = match.captured(1);
            return true;
        }
        if (process.waitForFinished(10)) {
            qWarning("SimDevice: korvist-sim device exited with %d before it was ready", process.exitCode());
            return false;
        }
    }
    qWarning("SimDevice: korvist-sim device was not ready within %d ms", kStartTimeoutMs);
    kill9();
    return false;
}

bool SimDevice::stop()
{
    if (process.state() == QProcess::NotRunning)
        return false;
    process.terminate();
    if (!process.waitForFinished(kStopTimeoutMs)) {
        qWarning("SimDevice: korvist-sim device ignored SIGTERM");
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

void SimDevice::kill9()
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.kill();
    process.waitForFinished(kStopTimeoutMs);
}

void SimDevice::glitch()
{
    if (process.state() == QProcess::Running)
        ::kill(pid_t(process.processId()), SIGUSR1);
}

bool SimDevice::isRunning()
{
    // Lets QProcess notice an exit that no event loop has reported yet.
    process.waitForFinished(0);
    return process.state() == QProcess::Running;
}

QString SimDevice::output() const
{
    return QString::fromLocal8Bit(readFile(outputPath()));
}

QList<SimJournalEntry> SimDevice::journal() const
{
    QList<SimJournalEntry> entries;
    const QList<QByteArray> lines = readFile(journalPath()).split('\n');
    for (const QByteArray &line : lines) {
        if (line.isEmpty())
            continue;
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        SimJournalEntry entry;
        entry.seq = object.value(QLatin1String("seq")).toInteger();
        entry.conn = object.value(QLatin1String("conn")).toInt();
        entry.code = object.value(QLatin1String("code")).toString().toUInt(nullptr, 0);
        entry.in = QByteArray::fromHex(object.value(QLatin1String("in")).toString().toLatin1());
        entry.outSize = quint32(object.value(QLatin1String("outSize")).toInteger());
        entry.status = quint32(object.value(QLatin1String("status")).toInteger());
        entries.append(entry);
    }
    return entries;
}

QList<SimJournalEntry> SimDevice::journal(quint32 code) const
{
    QList<SimJournalEntry> entries = journal();
    entries.removeIf([code](const SimJournalEntry &entry) { return entry.code != code; });
    return entries;
}
