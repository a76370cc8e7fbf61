#include "korvistprocess.h"

#include <isolation.h>
#include <simdevice.h>

#include <QtTest>

#include <csignal>
#include <memory>
#include <sys/ipc.h>
#include <sys/sem.h>
#include <sys/shm.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
// Logged by an instance only after it has claimed the single-instance guard.
const QString kClaimed = QStringLiteral("系统返回的语言代码：");
const QString kRefused = QStringLiteral("Korvist Mixer 已经在运行中。");
const QString kPanelShown = QStringLiteral("Device found with PID:");
// Logged when the settings dialog, the last of the three top-level objects, is torn down.
const QString kTornDown = QStringLiteral("Pipe closed.");
constexpr uid_t kOtherUser = 65534;

// The System V objects of the guard that the process made or last used, found
// through the key files Qt keeps in TMPDIR: {shared memory ids, semaphore ids}.
// Ids, not keys: a key can be met again by a leftover of some earlier process.
QPair<QList<int>, QList<int>> guardObjects(qint64 pid)
{
    QPair<QList<int>, QList<int>> objects;
    const QDir tmp(qEnvironmentVariable("TMPDIR"));
    for (const QString &name : tmp.entryList({QStringLiteral("qipc_*")}, QDir::Files)) {
        const key_t key = ::ftok(QFile::encodeName(tmp.filePath(name)).constData(), 'Q');
        shmid_ds segment {};
        const int shm = ::shmget(key, 0, 0);
        if (shm >= 0 && ::shmctl(shm, IPC_STAT, &segment) == 0 && segment.shm_cpid == pid)
            objects.first.append(shm);
        const int sem = ::semget(key, 0, 0);
        if (sem >= 0 && ::semctl(sem, 0, GETPID) == pid)
            objects.second.append(sem);
    }
    return objects;
}

bool ipcObjectsGone(const QPair<QList<int>, QList<int>> &objects)
{
    shmid_ds segment {};
    for (const int shm : objects.first)
        if (::shmctl(shm, IPC_STAT, &segment) == 0)
            return false;
    for (const int sem : objects.second)
        if (::semctl(sem, 0, GETVAL) >= 0)
            return false;
    return true;
}

// A home of its own for another user, beside a TMPDIR that both users share as they share /tmp.
QStringList otherUserEnvironment(const Isolation &isolation)
{
    ::chmod(QFile::encodeName(isolation.root()).constData(), 0711);
    ::chmod(QFile::encodeName(isolation.root() + "/tmp").constData(), 01777);
    const auto ownedByOther = [](const QString &dir) {
        QDir().mkpath(dir);
        const QByteArray path = QFile::encodeName(dir);
        return ::chown(path.constData(), kOtherUser, kOtherUser) == 0 && ::chmod(path.constData(), 0700) == 0;
    };
    QStringList environment;
    if (!ownedByOther(isolation.root() + "/other"))
        return environment;
    for (const char *name : {"XDG_RUNTIME_DIR", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "HOME"}) {
        const QString dir = isolation.root() + "/other/" + QString::fromLatin1(name);
        if (ownedByOther(dir))
            environment << QString::fromLatin1(name) + '=' + dir;
    }
    return environment;
}
} // namespace

// The single-instance guard, seen from outside with the real program.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void secondStartEndsWithZeroAndLeavesTheFirst()
    {
        Isolation isolation;
        KorvistProcess first;
        first.start();
        QVERIFY2(first.waitForLog(kClaimed), qPrintable(first.log()));

        KorvistProcess second;
        second.start();
        QVERIFY(second.waitForExit());
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY2(second.log().contains(kRefused), qPrintable(second.log()));
        QVERIFY(!second.log().contains(kClaimed));

        QVERIFY(first.isRunning());
        // The first instance still holds the guard: a third start is refused too.
        KorvistProcess third;
        third.start();
        QVERIFY(third.waitForExit());
        QCOMPARE(third.exitCode(), 0);
        QVERIFY(third.log().contains(kRefused));
    }

    void simultaneousStartsLeaveExactlyOne_data()
    {
        QTest::addColumn<int>("starts");
        QTest::newRow("two") << 2;
        QTest::newRow("five") << 5;
    }
    void simultaneousStartsLeaveExactlyOne()
    {
        QFETCH(int, starts);
        Isolation isolation;
        std::vector<std::unique_ptr<KorvistProcess>> processes;
        for (int i = 0; i < starts; ++i) {
            processes.push_back(std::make_unique<KorvistProcess>());
            processes.back()->start();
        }
        int refused = 0;
        KorvistProcess *survivor = nullptr;
        for (auto &process : processes) {
            // Every process either claims the guard or is refused; none may do both or neither.
            QVERIFY2(process->waitForLog(kClaimed, 20000) || process->log().contains(kRefused),
                     qPrintable(process->log()));
            if (process->log().contains(kRefused)) {
                QVERIFY(process->waitForExit());
                QCOMPARE(process->exitCode(), 0);
                ++refused;
            } else {
                QVERIFY2(!survivor, "two instances claimed the guard");
                survivor = process.get();
            }
        }
        QCOMPARE(refused, starts - 1);
        QVERIFY(survivor);
        QVERIFY(survivor->isRunning());
    }

    void startAfterAKilledInstanceSucceeds()
    {
        Isolation isolation;
        KorvistProcess crashed;
        crashed.start();
        QVERIFY(crashed.waitForLog(kClaimed));
        crashed.kill9();

        KorvistProcess next;
        next.start();
        QVERIFY2(next.waitForLog(kClaimed), qPrintable(next.log()));
        QVERIFY(!next.log().contains(kRefused));

        // And the guard works again for the new instance.
        KorvistProcess another;
        another.start();
        QVERIFY(another.waitForExit());
        QVERIFY(another.log().contains(kRefused));
    }

    void terminationSignalEndsLikeQuit_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void terminationSignalEndsLikeQuit()
    {
        QFETCH(int, signal);
        Isolation isolation;
        SimDevice device;
        QVERIFY(device.start());
        KorvistProcess program;
        program.start();
        QVERIFY2(program.waitForLog(kPanelShown), qPrintable(program.log()));
        const auto objects = guardObjects(program.processId());
        // The marker segment, and the two semaphores: the guard's and the segment's own.
        QCOMPARE(objects.first.size(), 1);
        QCOMPARE(objects.second.size(), 2);

        QCOMPARE(::kill(pid_t(program.processId()), signal), 0);
        QVERIFY(program.waitForExit());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY2(program.log().contains(kTornDown), qPrintable(program.log()));
        QVERIFY2(ipcObjectsGone(objects), "the guard's shared memory or semaphores outlived the program");
    }

    void otherUsersInstanceNeverBlocks_data()
    {
        QTest::addColumn<bool>("crashed");
        QTest::newRow("running") << false;
        QTest::newRow("crashed") << true;
    }
    void otherUsersInstanceNeverBlocks()
    {
        QFETCH(bool, crashed);
        if (::geteuid() != 0)
            QSKIP("Starting the program as a second user takes root.");
        Isolation isolation;
        const QStringList otherHome = otherUserEnvironment(isolation);
        QCOMPARE(otherHome.size(), 4);
        KorvistProcess mine;
        mine.start();
        QVERIFY(mine.waitForLog(kClaimed));
        if (crashed)
            mine.kill9();

        KorvistProcess theirs;
        theirs.start(otherHome, kOtherUser);
        QVERIFY2(theirs.waitForLog(kClaimed), qPrintable(theirs.log()));
        QVERIFY(!theirs.log().contains(kRefused));
        QCOMPARE(mine.isRunning(), !crashed);
        // A start of our own takes over what the crash left, so no later test meets it.
        KorvistProcess next;
        next.start();
        QVERIFY(crashed ? next.waitForLog(kClaimed) : next.waitForExit());
    }

    void startAfterACleanExitSucceeds()
    {
        Isolation isolation;
        KorvistProcess earlier;
        earlier.start();
        QVERIFY(earlier.waitForLog(kClaimed));
        earlier.terminate();

        KorvistProcess next;
        next.start();
        QVERIFY2(next.waitForLog(kClaimed), qPrintable(next.log()));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
