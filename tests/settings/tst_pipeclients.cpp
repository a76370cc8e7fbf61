#include <isolation.h>
#include <logcapture.h>
#include <pipeclients.h>
#include <silentconnections.h>
#include <simpipe.h>

#include <pipe.h>
#include <runtimedir_posix.h>

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

    void fullQueueIsBusyAtOnce_data()
    {
        QTest::addColumn<QString>("pipe");
        QTest::addColumn<QStringList>("logged");
        // The audio-control client waits for a busy pipe, whose instance is free at once: three attempts, no line.
        QTest::newRow("audio control") << "KorvistAudioControlPipe" << QStringList();
        QTest::newRow("ASIO reset") << "KorvistPannelToASIO"
                                    << QStringList {"Error: Could not open pipe. Error code: 231"};
    }
    void fullQueueIsBusyAtOnce()
    {
        QFETCH(QString, pipe);
        QFETCH(QStringList, logged);
        Isolation isolation;
        // A server that never takes a connection, its queue full of clients that never claim.
        platform::PipeServer server(pipe.toStdString());
        std::uint32_t error = 0;
        QVERIFY(server.create(error));
        SilentConnections queue;
        QVERIFY(queue.fillQueue(QString::fromStdString(platform::posix::pipeSocketPath(pipe.toStdString()))) > 0);
        LogCapture log;
        QElapsedTimer clock;
        clock.start();
        if (pipe == "KorvistPannelToASIO")
            notifyAsioReset();
        else
            QVERIFY(!sendAudioControlCommand(QStringLiteral("STOP_MONITOR")));
        const qint64 held = clock.elapsed();
        QCOMPARE(log.lines(), logged);
        qInfo() << "a full queue held the client for" << held << "ms";
        QVERIFY(held < 1000);
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
