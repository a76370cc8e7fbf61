#include <isolation.h>
#include <silentconnections.h>
#include <simpipe.h>

#include <pipe.h>
#include <runtimedir_posix.h>
#include <win32errors.h>

#include <QtTest>

#include <sys/resource.h>
#include <unistd.h>

using platform::PipeClient;
using platform::PipeServer;

namespace {

bool send(const std::string &pipe, const QByteArray &message)
{
    PipeClient client;
    std::uint32_t error = 0;
    return client.open(pipe, error) && client.write(message.constData(), std::uint32_t(message.size()), error);
}

// The share of one core a process used over the given time, from /proc.
double cpuShare(qint64 pid, int ms)
{
    const auto ticks = [pid] {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        const QList<QByteArray> fields = stat.open(QIODevice::ReadOnly)
                                             ? stat.readAll().split(')').value(1).split(' ')
                                             : QList<QByteArray>();
        // utime and stime, fields 14 and 15, counted from the state after the name.
        return fields.value(12).toLongLong() + fields.value(13).toLongLong();
    };
    const qint64 before = ticks();
    QThread::msleep(ulong(ms));
    return double(ticks() - before) / double(::sysconf(_SC_CLK_TCK)) * 1000.0 / ms;
}

QByteArray utf16(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

} // namespace

// korvist-sim audio-service, asio-driver and asio-notify, driven through the product's side of the pipe seam.
class TestSimPipes : public QObject
{
    Q_OBJECT

private slots:
    void peersPrintEachMessage_data()
    {
        QTest::addColumn<QString>("peer");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QString>("printed");
        QTest::newRow("command with terminator")
            << "audio-service" << utf16("START_MONITOR") + QByteArray(2, '\0') << R"(28 bytes: "START_MONITOR\u0000")";
        QTest::newRow("odd byte count") << "audio-service" << QByteArray("A\0B", 3) << R"(3 bytes: "A\x42")";
        QTest::newRow("surrogate pair") << "audio-service" << utf16(QString::fromUtf8("\xF0\x9F\x98\x80"))
                                        << "4 bytes: \"\xF0\x9F\x98\x80\"";
        QTest::newRow("lone surrogate") << "audio-service" << QByteArray("\x00\xD8", 2) << R"(2 bytes: "\uD800")";
        // Spelled without raw strings: moc misreads one that ends in a backslash.
        QTest::newRow("quote and backslash") << "audio-service" << utf16("a\"\\") << "6 bytes: \"a\\\"\\\\\"";
        QTest::newRow("empty") << "audio-service" << QByteArray() << R"(0 bytes: "")";
        QTest::newRow("reset byte") << "asio-driver" << QByteArray("1") << "1 bytes: 31";
        QTest::newRow("binary") << "asio-driver" << QByteArray("\x00\xff\x10", 3) << "3 bytes: 00ff10";
    }
    void peersPrintEachMessage()
    {
        QFETCH(QString, peer);
        QFETCH(QByteArray, message);
        QFETCH(QString, printed);
        Isolation isolation;
        SimPipePeer sim({peer});
        QVERIFY(sim.start());
        const std::string pipe = peer == "asio-driver" ? "KorvistPannelToASIO" : "KorvistAudioControlPipe";
        QVERIFY(send(pipe, message));
        QTRY_COMPARE(sim.messages(), QStringList {printed});
        QVERIFY(sim.stop());
    }

    void notifySends_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("received");
        QTest::newRow("size") << QStringList {"--buffer-size", "256"}
                              << QByteArray::fromHex("00000000" "00010000" "00000000" "00000000" "00000000");
        QTest::newRow("size and window") << QStringList {"--buffer-size", "64", "--open-window"}
                                         << QByteArray::fromHex("00000000" "40000000" "00000000" "00000000"
                                                                "01000000");
        QTest::newRow("raw") << QStringList {"--raw", "31FF"} << QByteArray::fromHex("31ff");
        QTest::newRow("raw empty") << QStringList {"--raw", ""} << QByteArray();
    }
    void notifySends()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, received);
        Isolation isolation;
        PipeServer server("KorvistASIOToPannel");
        std::uint32_t error = 0;
        QVERIFY(server.create(error));
        const SimPipePeer::Result result = SimPipePeer::run(QStringList {"asio-notify"} + arguments);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.output, QString("sent %1 bytes: %2\n").arg(received.size()).arg(received.toHex()));
        QVERIFY(server.waitForClient(error) || error == platform::kErrorPipeConnected);
        QByteArray buffer(64, '\0');
        std::uint32_t length = 0;
        QVERIFY(server.readMessage(buffer.data(), 64, length, error));
        QCOMPARE(buffer.left(int(length)), received);
    }

    void notifyFails_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("errors");
        QTest::newRow("no listener") << QStringList {"--buffer-size", "256"} << 1
                                     << "korvist-sim asio-notify: cannot open KorvistASIOToPannel: error 2\n";
        QTest::newRow("nothing to send") << QStringList {} << 2 << "";
        QTest::newRow("size and raw") << QStringList {"--buffer-size", "1", "--raw", "00"} << 2 << "";
        QTest::newRow("bad hex") << QStringList {"--raw", "0g"} << 2 << "";
        QTest::newRow("bad number") << QStringList {"--buffer-size", "-1"} << 2 << "";
        QTest::newRow("window alone") << QStringList {"--open-window"} << 2 << "";
    }
    void notifyFails()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, errors);
        Isolation isolation;
        const SimPipePeer::Result result = SimPipePeer::run(QStringList {"asio-notify"} + arguments);
        QCOMPARE(result.exitCode, exitCode);
        QCOMPARE(result.output, QString());
        if (exitCode == 2)
            QVERIFY(result.errors.startsWith("usage: korvist-sim asio-notify"));
        else
            QCOMPARE(result.errors, errors);
    }

    void secondServiceIsRefused()
    {
        Isolation isolation;
        SimPipePeer first({"audio-service"});
        QVERIFY(first.start());
        const SimPipePeer::Result second = SimPipePeer::run({"audio-service"});
        QCOMPARE(second.exitCode, 1);
        QCOMPARE(second.errors, QString("korvist-sim audio-service: cannot serve KorvistAudioControlPipe: error 5 "
                                        "(another process serves it)\n"));
        QVERIFY(send("KorvistAudioControlPipe", QByteArray("1\0", 2)));
        QTRY_COMPARE(first.messages(), QStringList {R"(2 bytes: "1")"});
    }

    void crashedServiceIsReplaced()
    {
        Isolation isolation;
        SimPipePeer crashed({"asio-driver"});
        QVERIFY(crashed.start());
        crashed.kill9();
        SimPipePeer next({"asio-driver"});
        QVERIFY(next.start());
        QVERIFY(send("KorvistPannelToASIO", "1"));
        QTRY_COMPARE(next.messages(), QStringList {"1 bytes: 31"});
    }

    void outOfDescriptorsBacksOffAndRecovers()
    {
        Isolation isolation;
        SimPipePeer service({"audio-service"});
        QVERIFY(service.start());
        const qint64 pid = service.processId();
        const int inUse = int(QDir(QStringLiteral("/proc/%1/fd").arg(pid)).entryList(QDir::AllEntries | QDir::System
                                                                                      | QDir::NoDotAndDotDot).size());
        // Room for two connections, and a flood of clients that never claim.
        const rlimit limit {rlim_t(inUse + 2), rlim_t(inUse + 2)};
        QCOMPARE(::prlimit(pid_t(pid), RLIMIT_NOFILE, &limit, nullptr), 0);
        SilentConnections flood;
        QCOMPARE(flood.open(QString::fromStdString(platform::posix::pipeSocketPath("KorvistAudioControlPipe")), 6), 6);
        const double share = cpuShare(pid, 1000);
        qInfo() << "out of descriptors, the server used" << qRound(share * 100) << "% of a core";
        QVERIFY(share < 0.3);

        flood.closeAll();
        QVERIFY(send("KorvistAudioControlPipe", utf16("STOP_MONITOR")));
        QTRY_COMPARE_WITH_TIMEOUT(service.messages().size(), 1, 5000);
        // Told once per spell without descriptors (the flood can bring a second), never once per attempt.
        const qsizetype told = service.output().count(QStringLiteral("out of descriptors"));
        QVERIFY2(told >= 1 && told <= 3, qPrintable(QString::number(told)));
    }

    void busyServiceEndsWaitsButNeverLetsIn()
    {
        Isolation isolation;
        SimPipePeer service({"audio-service", "--busy"});
        QVERIFY(service.start());
        PipeClient client;
        std::uint32_t error = 0;
        for (int attempt = 0; attempt < 3; ++attempt) {
            QVERIFY(!client.open("KorvistAudioControlPipe", error));
            QCOMPARE(error, platform::kErrorPipeBusy);
            QVERIFY(PipeClient::waitForPipe("KorvistAudioControlPipe", 5000, error));
        }
    }

    void stopsOnSigterm_data()
    {
        QTest::addColumn<QStringList>("peer");
        QTest::addColumn<bool>("silentClient");
        QTest::newRow("audio service") << QStringList {"audio-service"} << false;
        QTest::newRow("busy audio service") << QStringList {"audio-service", "--busy"} << false;
        QTest::newRow("asio driver") << QStringList {"asio-driver"} << false;
        QTest::newRow("asio driver, a client that never writes") << QStringList {"asio-driver"} << true;
    }
    void stopsOnSigterm()
    {
        QFETCH(QStringList, peer);
        QFETCH(bool, silentClient);
        Isolation isolation;
        SimPipePeer sim(peer);
        QVERIFY(sim.start());
        PipeClient client;
        std::uint32_t error = 0;
        if (silentClient)
            QVERIFY(client.open("KorvistPannelToASIO", error));
        QVERIFY(sim.stop());
        QVERIFY(sim.output().endsWith("stopped\n"));
        QVERIFY(!PipeClient::waitForPipe(peer[0] == "asio-driver" ? "KorvistPannelToASIO" : "KorvistAudioControlPipe",
                                         0, error));
        QCOMPARE(error, platform::kErrorFileNotFound);
    }
};

QTEST_GUILESS_MAIN(TestSimPipes)
#include "tst_simpipes.moc"
