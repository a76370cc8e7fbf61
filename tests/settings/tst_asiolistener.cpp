
#include <asionotice.h>
#include <isolation.h>
#include <logcapture.h>
#include <namedpipeserver.h>
#include <settings.h>
#include <silentconnections.h>
#include <simdevice.h>
#include <simpipe.h>

#include <pipe.h>
#include <runtimedir_posix.h>
#include <win32errors.h>

#include <QtEndian>
#include <QtTest>

#include <atomic>
#include <thread>

namespace {

const QString kWaiting = QStringLiteral("ThreadSettingsPip is running waiting Asio Info...");
const QString kShown = QStringLiteral("Received signal from pipe thread to show settings window.");

QString noticeHex(quint32 bufferSize, bool openWindow, int length = 20)
{
    QByteArray bytes(qMax(length, 20), '\0');
    qToLittleEndian<quint32>(bufferSize, bytes.data() + 4);
    qToLittleEndian<quint32>(openWindow ? 1 : 0, bytes.data() + 16);
    return QString::fromLatin1(bytes.left(length).toHex());
}

// "256", "256 window" or "raw:<hex>" as korvist-sim asio-notify arguments.
QStringList notifyArguments(const QString &notice)
{
    if (notice.startsWith(QLatin1String("raw:")))
        return {"asio-notify", "--raw", notice.mid(4)};
    const QStringList words = notice.split(' ');
    QStringList arguments {"asio-notify", "--buffer-size", words[0]};
    if (words.size() > 1)
        arguments.append("--open-window");
    return arguments;
}

// What reached the dialog from the listener, in order.
QStringList dialogLines(const LogCapture &log)
{
    QStringList lines;
    for (const QString &line : log.lines())
        if (line == kShown || line == "Device is not on line." || line == "Invalid ASIO buffer size."
            || line.startsWith(QLatin1String("Pannel ASIO Buffer Size changed to:")))
            lines.append(line);
    return lines;
}

// Until the listener has begun its pass number `pass`; then runs what it queued before.
bool reachPass(const LogCapture &log, int pass)
{
    const QDeadlineTimer deadline(30000);
    while (log.count(kWaiting) < pass) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    QCoreApplication::processEvents();
    return true;
}

// Connections that never claim, dropped again at once.
void floodOnce()
{
    SilentConnections connections;
    connections.open(QString::fromStdString(platform::posix::pipeSocketPath(kAsioToPanelPipe)), 64);
}

} // namespace

// The listener for the ASIO driver's notices, inside a real dialog, against korvist-sim.
class TestAsioListener : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("KorvistDriver")); }

    void notices_data()
    {
        QTest::addColumn<bool>("online");
        QTest::addColumn<QStringList>("notices");
        QTest::addColumn<QStringList>("reached");
        QTest::addColumn<int>("refused");

        const QString took128 = "Pannel ASIO Buffer Size changed to: 128";
        const QString took256 = "Pannel ASIO Buffer Size changed to: 256";
        const QString took512 = "Pannel ASIO Buffer Size changed to: 512";
        const QString offline = "Device is not on line.";
        QTest::newRow("first notice with size 0") << true << QStringList {"0"} << QStringList {} << 0;
        QTest::newRow("shorter than 8 bytes") << true << QStringList {"raw:05000000"} << QStringList {} << 0;
        QTest::newRow("same size twice") << true << QStringList {"256", "256"} << QStringList {took256} << 0;
        QTest::newRow("refused offline, then repeated")
            << false << QStringList {"256", "256"} << QStringList {offline} << 0;
        QTest::newRow("refused offline, another size between")
            << false << QStringList {"256", "128", "256"} << QStringList {offline, offline, offline} << 0;
        QTest::newRow("128 without window") << true << QStringList {"128"} << QStringList {took128} << 0;
        QTest::newRow("window request alone")
            << true << QStringList {"128", "128 window"} << QStringList {took128, kShown} << 0;
        QTest::newRow("size before show") << true << QStringList {"256 window"} << QStringList {took256, kShown} << 0;
        QTest::newRow("no such size") << true << QStringList {"100"} << QStringList {"Invalid ASIO buffer size."} << 0;
        QTest::newRow("1024 bytes taken")
            << true << QStringList {"raw:" + noticeHex(512, true, 1024)} << QStringList {took512, kShown} << 0;
        QTest::newRow("1025 bytes refused")
            << true << QStringList {"raw:" + noticeHex(512, true, 1025)} << QStringList {} << 1;
        QTest::newRow("refused, then a notice")
            << true << QStringList {"raw:" + noticeHex(512, true, 1025), "256"} << QStringList {took256} << 1;
    }
    void notices()
    {
        QFETCH(bool, online);
        QFETCH(QStringList, notices);
        QFETCH(QStringList, reached);
        QFETCH(int, refused);
        Isolation isolation;
        SimDevice device(QStringLiteral("rk2"));
        QVERIFY(device.start());
        LogCapture log;
        Settings dialog;
        dialog.findChild<QTimer *>(QStringLiteral("pollTimer"))->stop();
        if (online)
            QVERIFY(dialog.connectDevice());
        QVERIFY(reachPass(log, 1));
        for (int i = 0; i < notices.size(); ++i) {
            QCOMPARE(SimPipePeer::run(notifyArguments(notices[i])).exitCode, 0);
            QVERIFY(reachPass(log, i + 2));
        }
        QCOMPARE(dialogLines(log), reached);
        QCOMPARE(log.count("No data received from pipe."), refused);
        QCOMPARE(log.count("Error reading from pipe. Error code: 234"), refused);
        QCOMPARE(dialog.isVisible(), reached.contains(kShown));
        QCOMPARE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint), reached.contains(kShown));
    }

    void noticesGetPastHostileClients_data()
    {
        QTest::addColumn<QString>("hostile");
        QTest::newRow("a client that claims and says nothing") << "silent";
        QTest::newRow("a flood of connections that never claim") << "connections";
    }
    void noticesGetPastHostileClients()
    {
        QFETCH(QString, hostile);
        Isolation isolation;
        SimDevice device(QStringLiteral("rk2"));
        QVERIFY(device.start());
        LogCapture log;
        Settings dialog;
        dialog.findChild<QTimer *>(QStringLiteral("pollTimer"))->stop();
        QVERIFY(dialog.connectDevice());
        QVERIFY(reachPass(log, 1));
        platform::PipeClient silent;
        std::uint32_t error = 0;
        QVERIFY(hostile != "silent" || silent.open(kAsioToPanelPipe, error));
        std::atomic<bool> flooding {hostile == "connections"};
        std::thread flood([&] {
            while (flooding)
                floodOnce();
        });
        const int during = SimPipePeer::run(notifyArguments("256")).exitCode;
        flooding = false;
        flood.join();
        QCOMPARE(during, 0);
        QCOMPARE(SimPipePeer::run(notifyArguments("512")).exitCode, 0);
        QTRY_VERIFY_WITH_TIMEOUT(log.contains("Pannel ASIO Buffer Size changed to: 512"), 10000);
        QVERIFY(log.contains("Pannel ASIO Buffer Size changed to: 256"));
    }

    void fieldsInOffsetOrder()
    {
        Isolation isolation;
        NamedPipeServer server(QStringLiteral("KorvistASIOToPannel"));
        QVERIFY(server.create());
        const QString fields = "01000000" "02000000" "03000000" "04000000" "05000000" "ffffffff";
        QCOMPARE(SimPipePeer::run({"asio-notify", "--raw", fields}).exitCode, 0);
        AsioReceiveBuffer buffer {};
        QVERIFY(server.readMessage(buffer));
        const AsioNotice notice = AsioNotice::fromBuffer(buffer);
        QCOMPARE((QList<quint32> {notice.value0, notice.bufferSize, notice.value2, notice.value3, notice.openWindow}),
                 (QList<quint32> {1, 2, 3, 4, 5}));
        QCOMPARE(buffer[20], quint8(0xff));
        QCOMPARE(buffer[24], quint8(0));
    }

    void clientBeforeTheWaitIsServed()
    {
        Isolation isolation;
        LogCapture log;
        NamedPipeServer server(QStringLiteral("KorvistASIOToPannel"));
        QVERIFY(server.create());
        // The notice is written and its writer gone before the server waits at all.
        QCOMPARE(SimPipePeer::run(notifyArguments("256 window")).exitCode, 0);
        AsioReceiveBuffer buffer {};
        QVERIFY(server.readMessage(buffer));
        QCOMPARE(AsioNotice::fromBuffer(buffer).bufferSize, 256u);
        QCOMPARE(AsioNotice::fromBuffer(buffer).openWindow, 1u);
        QCOMPARE(log.lines(), QStringList {"Pipe created successfully."});
    }

    void nameServedElsewhere()
    {
        Isolation isolation;
        platform::PipeServer owner("KorvistASIOToPannel");
        std::uint32_t error = 0;
        QVERIFY(owner.create(error));
        LogCapture log;
        {
            Settings dialog;
            QVERIFY(reachPass(log, 2));
        }
        QVERIFY(log.contains("Error: Could not create pipe. Error code: 5"));
        QVERIFY(log.contains("Failed to create named pipe in ThreadSettingsPip."));
        QVERIFY(log.contains("Error connecting to pipe. Error code: 6"));
        QVERIFY(!log.contains("Pipe closed."));
        // The first instance keeps its name and its clients.
        platform::PipeClient client;
        QVERIFY(client.open("KorvistASIOToPannel", error));
        QVERIFY(!owner.waitForClient(error));
        QCOMPARE(error, platform::kErrorPipeConnected);
    }

    void quitsPromptly_data()
    {
        QTest::addColumn<bool>("silentClient");
        QTest::newRow("waiting for a client") << false;
        QTest::newRow("a client that never writes") << true;
    }
    void quitsPromptly()
    {
        QFETCH(bool, silentClient);
        Isolation isolation;
        LogCapture log;
        auto *dialog = new Settings;
        QVERIFY(reachPass(log, 1));
        platform::PipeClient client;
        std::uint32_t error = 0;
        if (silentClient)
            QVERIFY(client.open("KorvistASIOToPannel", error));
        // Returns only once the thread has ended: a hang here is the failure.
        delete dialog;
        const QStringList lines = log.lines();
        QCOMPARE(lines.last(), QString("Pipe closed."));
        QVERIFY(lines.indexOf("Settings dialog closed and resources cleaned up.") < lines.size() - 1);
        QVERIFY(!platform::PipeClient::waitForPipe("KorvistASIOToPannel", 0, error));
        QCOMPARE(error, 2u);
    }
};

QTEST_MAIN(TestAsioListener)
#include "tst_asiolistener.moc"
