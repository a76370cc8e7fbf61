#include "simdevice.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <csignal>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

SimDevice::SimDevice(const QString &deviceModel)
    : model(deviceModel)
{
}

bool SimDevice::start(const QStringList &extraArgs)
{
    path.clear();
    const std::optional<QString> ready =
        process.start(QStringList {QStringLiteral("device"), QStringLiteral("--model"), model,
                                   QStringLiteral("--journal"), journalPath()}
                      + extraArgs);
    if (ready)
        path = *ready;
    return ready.has_value();
}

void SimDevice::glitch()
{
    if (process.isRunning())
        ::kill(pid_t(process.processId()), SIGUSR1);
}

QList<SimJournalEntry> SimDevice::journal() const
{
    return readSimJournal(journalPath());
}

qsizetype SimDevice::requestsSent() const
{
    qsizetype sent = 0;
    for (const SimJournalEntry &entry : journal())
        sent += entry.in.isEmpty() ? 0 : 1;
    return sent;
}

QList<SimJournalEntry> readSimJournal(const QString &path)
{
    QList<SimJournalEntry> entries;
    const QList<QByteArray> lines = readFile(path).split('\n');
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
