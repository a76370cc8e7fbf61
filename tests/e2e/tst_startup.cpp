#include "korvistprocess.h"

#include <isolation.h>

#include <QtTest>

#include <memory>
#include <vector>

namespace {
// Logged by an instance only after it has claimed the single-instance guard.
const QString kClaimed = QStringLiteral("系统返回的语言代码：");
const QString kRefused = QStringLiteral("Korvist Mixer 已经在运行中。");
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
