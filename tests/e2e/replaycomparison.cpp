#include "replaycomparison.h"

#include "korvistprocess.h"

#include <devicefacts.h>
#include <isolation.h>

#include <QDir>
#include <QElapsedTimer>
#include <QtTest>

namespace {
constexpr int kWaitMs = 30000;
} // namespace

QList<SimJournalEntry> replayRequests(QList<SimJournalEntry> journal)
{
    journal.removeIf([](const SimJournalEntry &entry) {
        return entry.code == KORVIST_IOCTL_GET_PRODUCT_ID || entry.code == KORVIST_IOCTL_READ_METERS
               || entry.code == KORVIST_IOCTL_GET_USB_STATUS;
    });
    return journal;
}

QList<SimJournalEntry> settledReplay(const std::function<QList<SimJournalEntry>()> &journal)
{
    QList<SimJournalEntry> replay;
    QElapsedTimer quiet;
    quiet.start();
    const QDeadlineTimer deadline(kWaitMs);
    while (!deadline.hasExpired() && (replay.isEmpty() || quiet.elapsed() < 2000)) {
        QTest::qWait(250);
        const QList<SimJournalEntry> now = replayRequests(journal());
        if (now.size() != replay.size()) {
            replay = now;
            quiet.restart();
        }
    }
    return replay;
}

void copySavedFiles(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    for (const QString &name : QDir(from).entryList({QStringLiteral("*.ini")}, QDir::Files)) {
        QFile::remove(to + '/' + name);
        QFile::copy(from + '/' + name, to + '/' + name);
    }
}

QList<SimJournalEntry> posixReplay(const QString &savedFilesDir, bool replug)
{
    Isolation isolation;
    copySavedFiles(savedFilesDir, isolation.appDataDir());
    SimDevice device(QStringLiteral("rk2"));
    if (!device.start())
        return {};
    KorvistProcess program;
    program.start({QStringLiteral("QT_QPA_PLATFORM=offscreen")});
    const QList<SimJournalEntry> firstPlug = settledReplay([&device] { return device.journal(); });
    if (!replug)
        return firstPlug;
    if (!device.stop() || !program.waitForLog(kDeviceLost, kWaitMs))
        return {};
    copySavedFiles(savedFilesDir, isolation.appDataDir());
    const qsizetype before = device.journal().size();
    if (!device.start())
        return {};
    return settledReplay([&device, before] { return device.journal().mid(before); });
}

QStringList describe(const QList<SimJournalEntry> &requests)
{
    QStringList lines;
    for (const SimJournalEntry &entry : requests)
        lines << QStringLiteral("0x%1 %2 %3 %4")
                     .arg(QString::number(entry.code, 16).toUpper(), QString::fromLatin1(entry.in.toHex()))
                     .arg(entry.outSize)
                     .arg(entry.status);
    return lines;
}
