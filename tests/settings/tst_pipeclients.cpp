#include <isolation.h>
#include <logcapture.h>
#include <pipeclients.h>
#include <simpipe.h>

#include <QtTest>

// The clients of the audio service's and the ASIO driver's pipes, against korvist-sim.
class TestPipeClients : public QObject
{
    Q_OBJECT

private slots:
    void audioControlWithoutService()
    {
        Isolation isolation;
        LogCapture log;
        QVERIFY(!sendAudioControlCommand(QStringLiteral("STOP_MONITOR")));
        // One line and no more: the client neither waited nor tried again.
        QCOMPARE(log.lines(), QStringList {"Could not open pipe. Is Audio Service running? Error: 2"});
    }

    void asioResetWithoutDriver()
    {
        Isolation isolation;
        LogCapture log;
        notifyAsioReset();
        QCOMPARE(log.lines(), QStringList {"Error: Could not open pipe. Error code: 2"});
    }

    void busyServiceGetsThreeAttempts()
    {
        Isolation isolation;
        SimPipePeer service({"audio-service", "--busy"});
        QVERIFY(service.start());
        LogCapture log;
        QVERIFY(!sendAudioControlCommand(QStringLiteral("STOP_MONITOR")));
        // Every wait ended, so only the count of attempts gave up: no line.
        QCOMPARE(log.lines(), QStringList());
        QVERIFY(service.stop());
        QCOMPARE(service.messages(), QStringList());
    }

    void commandIsOneUtf16Message_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("received");
        QTest::newRow("start") << "START_MONITOR" << R"(28 bytes: "START_MONITOR\u0000")";
        QTest::newRow("stop") << "STOP_MONITOR" << R"(26 bytes: "STOP_MONITOR\u0000")";
        QTest::newRow("beyond latin-1") << "监听" << R"(6 bytes: "监听\u0000")";
    }
    void commandIsOneUtf16Message()
    {
        QFETCH(QString, command);
        QFETCH(QString, received);
        Isolation isolation;
        SimPipePeer service({"audio-service"});
        QVERIFY(service.start());
        LogCapture log;
        QVERIFY(sendAudioControlCommand(command));
        QCOMPARE(log.lines(), QStringList {"Pipe Command Sent: \"" + command + '"'});
        QTRY_COMPARE(service.messages(), QStringList {received});
    }

    void resetSignalIsOneByte()
    {
        Isolation isolation;
        SimPipePeer driver({"asio-driver"});
        QVERIFY(driver.start());
        LogCapture log;
        notifyAsioReset();
        QCOMPARE(log.lines(), (QStringList {"Pipe opened successfully.", "ASIO reset signal sent successfully.",
                                            "设置通知ASIO逻辑"}));
        QTRY_COMPARE(driver.messages(), QStringList {"1 bytes: 31"});
    }
};

QTEST_GUILESS_MAIN(TestPipeClients)
#include "tst_pipeclients.moc"
