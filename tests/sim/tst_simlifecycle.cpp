#include "deviceclient.h"
#include "isolation.h"
#include "simdevice.h"
#include "win32errors.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

#include <memory>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

using namespace iocode;

namespace {

// A bare connection for what the product's client would never send.
class RawConnection
{
public:
    explicit RawConnection(const QString &path)
    {
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
        fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        // Bounds a test that would otherwise wait for ever on a simulator that never answers.
        const timeval timeout {10, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    ~RawConnection()
    {
        if (fd >= 0)
            ::close(fd);
    }

    bool isOpen() const { return fd >= 0; }
    bool send(const QByteArray &bytes)
    {
        return platform::posix::wire::sendAll(fd, bytes.constData(), size_t(bytes.size()));
    }
    // True when the simulator closed its end (end of stream), false on data or a timeout.
    bool closedByPeer()
    {
        char byte;
        return ::recv(fd, &byte, 1, 0) == 0;
    }

private:
    int fd = -1;
};

QByteArray header(quint32 code, quint32 inSize, quint32 outSize)
{
    return word(code) + word(inSize) + word(outSize);
}

const QRegularExpression kJournalLine(QStringLiteral(R"(^\{"seq":[1-9][0-9]*,"conn":[1-9][0-9]*,)"
                                                    R"("code":"0x[0-9A-F]{8}","in":"(?:[0-9a-f]{2})*+",)"
                                                    R"("outSize":[0-9]+,"status":[0-9]+\}$)"));

QList<QByteArray> journalLines(const SimDevice &sim)
{
    QFile file(sim.journalPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = file.readAll().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

// Plug, unplug, replug, the journal, and clients that misbehave.
class TestSimLifecycle : public QObject
{
    Q_OBJECT

private slots:
    void init() { isolation = std::make_unique<Isolation>(); }
    void cleanup() { isolation.reset(); }

    void journalLine_data();
    void journalLine();
    void journalOverTwoConnections();
    void unplugRemovesInterface();
    void replugIsFoundAgain();
    void killedSimulatorIsReplaced();
    void unopenable();
    void malformedRequests_data();
    void malformedRequests();
    void stalledClientsDoNotBlockOthers();

private:
    std::unique_ptr<Isolation> isolation;
};

void TestSimLifecycle::journalLine_data()
{
    QTest::addColumn<quint32>("code");
    QTest::addColumn<QByteArray>("in");
    QTest::addColumn<quint32>("outSize");
    QTest::addColumn<quint32>("status");
    QTest::addColumn<QByteArray>("line");

    const QByteArray volume = commandBytes(commandtarget::MicVolume, kVolumeSelector, 1, 84);
    QTest::newRow("command")
        << Command << volume << 0u << 0u
        << R"({"seq":1,"conn":1,"code":")" + codeText(Command) + R"(","in":"01070002015400)" + QByteArray(60, '0')
               + R"(","outSize":0,"status":0})";
    QTest::newRow("product id")
        << GetProductId << QByteArray() << 4u << 0u
        << R"({"seq":1,"conn":1,"code":")" + codeText(GetProductId) + R"(","in":"","outSize":4,"status":0})";
    QTest::newRow("unknown code")
        << 0x1Au << QByteArray("\xAB\x01", 2) << 9u << 1u
        << QByteArray(R"({"seq":1,"conn":1,"code":"0x0000001A","in":"ab01","outSize":9,"status":1})");
    QTest::newRow("refused buffer size")
        << SetBufferSize << word(100) << 0u << 87u
        << R"({"seq":1,"conn":1,"code":")" + codeText(SetBufferSize) + R"(","in":"64000000","outSize":0,"status":87})";
}

void TestSimLifecycle::journalLine()
{
    QFETCH(quint32, code);
    QFETCH(QByteArray, in);
    QFETCH(quint32, outSize);
    QFETCH(quint32, status);
    QFETCH(QByteArray, line);

    SimDevice sim;
    QVERIFY(sim.start());
    DeviceClient device;
    QCOMPARE(device.call(code, in, outSize).status, status);

    const QList<QByteArray> lines = journalLines(sim);
    QCOMPARE(lines.size(), 1);
    QVERIFY(kJournalLine.match(QString::fromLatin1(lines.first())).hasMatch());
    QCOMPARE(lines.first(), line);
    const SimJournalEntry entry = sim.journal().value(0);
    QCOMPARE(entry.seq, 1);
    QCOMPARE(entry.conn, 1);
    QCOMPARE(entry.code, code);
    QCOMPARE(entry.in, in);
    QCOMPARE(entry.outSize, outSize);
    QCOMPARE(entry.status, status);
}

void TestSimLifecycle::journalOverTwoConnections()
{
    SimDevice sim;
    QVERIFY(sim.start());
    DeviceClient first;
    DeviceClient second;
    QVERIFY(first.call(GetProductId, {}, 4).ok);
    QVERIFY(second.call(GetBufferSize, {}, 4).ok);
    QVERIFY(first.call(WriteMixer, baseMixerBytes()).ok);
    QVERIFY(second.call(GetUsbStatus, {}, 7).ok);

    const QList<QByteArray> lines = journalLines(sim);
    QCOMPARE(lines.size(), 4);
    for (const QByteArray &line : lines)
        QVERIFY2(kJournalLine.match(QString::fromLatin1(line)).hasMatch(), line.left(120).constData());
    const QList<SimJournalEntry> journal = sim.journal();
    const quint32 codes[] = {GetProductId, GetBufferSize, WriteMixer, GetUsbStatus};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(journal[i].seq, i + 1);
        QCOMPARE(journal[i].conn, i % 2 + 1);
        QCOMPARE(journal[i].code, codes[i]);
    }
    QCOMPARE(journal[2].in, baseMixerBytes());
    QVERIFY(sim.output().contains("connection 2 opened"));
}

void TestSimLifecycle::unplugRemovesInterface()
{
    SimDevice sim;
    QVERIFY(sim.start());
    DeviceClient device;
    QVERIFY(device.call(GetProductId, {}, 4).ok);
    QVERIFY(QFileInfo::exists(sim.socketPath()));

    QVERIFY(sim.stop());
    QVERIFY(!QFileInfo::exists(sim.socketPath()));
    std::uint32_t error = 0;
    QVERIFY(!platform::findDeviceInterface(DeviceClient::interfaceClass(), error));
    QCOMPARE(error, platform::kErrorNoMoreItems);
    const DeviceClient::Answer answer = device.call(GetProductId, {}, 4);
    QVERIFY(!answer.ok);
    QCOMPARE(answer.status, platform::kErrorDeviceNotConnected);
    QVERIFY(sim.output().contains("connection 1 closed"));
    QVERIFY(sim.output().contains("rk1 unplugged"));
}

void TestSimLifecycle::replugIsFoundAgain()
{
    SimDevice sim(QStringLiteral("rs"));
    QVERIFY(sim.start());
    QVERIFY(sim.stop());
    QVERIFY(sim.start());

    std::uint32_t error = 0;
    QCOMPARE(QString::fromStdString(platform::findDeviceInterface(DeviceClient::interfaceClass(), error).value_or("")),
             sim.socketPath());
    DeviceClient device;
    QCOMPARE(wordAt(device.call(GetProductId, {}, 4).bytes), 15u);
    const QList<SimJournalEntry> journal = sim.journal();
    QCOMPARE(journal.size(), 1);
    QCOMPARE(journal.first().seq, 1);
    QCOMPARE(journal.first().conn, 1);
}

void TestSimLifecycle::killedSimulatorIsReplaced()
{
    SimDevice crashed;
    QVERIFY(crashed.start());
    crashed.kill9();
    QVERIFY(QFileInfo::exists(crashed.socketPath()));

    SimDevice sim(QStringLiteral("rk2"));
    QVERIFY(sim.start());
    QVERIFY(!QFileInfo::exists(crashed.socketPath()));
    DeviceClient device;
    QVERIFY(device.isOpen());
    QCOMPARE(wordAt(device.call(GetProductId, {}, 4).bytes), 2u);
}

void TestSimLifecycle::unopenable()
{
    SimDevice sim;
    QVERIFY(sim.start({"--unopenable"}));
    std::uint32_t error = 0;
    QCOMPARE(QString::fromStdString(platform::findDeviceInterface(DeviceClient::interfaceClass(), error).value_or("")),
             sim.socketPath());
    DeviceClient device;
    QVERIFY(!device.isOpen());
    QCOMPARE(device.openError(), platform::kErrorDeviceNotConnected);

    // A live simulator's entry is not stale, even though it refuses opens.
    SimDevice other(QStringLiteral("rs"));
    QVERIFY(other.start());
    QVERIFY(QFileInfo::exists(sim.socketPath()));
    QVERIFY(sim.stop());
    QVERIFY(!QFileInfo::exists(sim.socketPath()));
}

void TestSimLifecycle::malformedRequests_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("closedBySimulator");

    const quint32 tooLarge = platform::posix::wire::kMaxPayload + 1;
    QTest::newRow("payload beyond the limit") << header(GetProductId, tooLarge, 4) << true;
    QTest::newRow("garbage header") << QByteArray("\xDE\xAD\xBE\xEF\xFF\xFF\xFF\xFF\x00\x00\x00\x00", 12) << true;
    QTest::newRow("half a header, then gone") << header(GetProductId, 0, 4).left(6) << false;
    QTest::newRow("half a payload, then gone") << header(WriteMixer, 66304, 0) + QByteArray(1000, '\x01') << false;
}

void TestSimLifecycle::malformedRequests()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, closedBySimulator);

    SimDevice sim;
    QVERIFY(sim.start());
    {
        RawConnection raw(sim.socketPath());
        QVERIFY(raw.isOpen());
        QVERIFY(raw.send(bytes));
        if (closedBySimulator)
            QVERIFY(raw.closedByPeer());
    }
    DeviceClient device;
    QCOMPARE(wordAt(device.call(GetProductId, {}, 4).bytes), 1u);
    QVERIFY(sim.isRunning());
    // Nothing that was not a whole request reached the device.
    QCOMPARE(sim.journal().size(), 1);
}

void TestSimLifecycle::stalledClientsDoNotBlockOthers()
{
    SimDevice sim;
    QVERIFY(sim.start());
    RawConnection halfHeader(sim.socketPath());
    QVERIFY(halfHeader.send(header(GetProductId, 0, 4).left(5)));
    // Far more meter replies than a socket buffer holds, and never collected.
    RawConnection neverReads(sim.socketPath());
    QVERIFY(neverReads.send(header(ReadMeters, 0, 768).repeated(2000)));

    DeviceClient device;
    QVERIFY(device.isOpen());
    const DeviceClient::Answer answer = device.call(GetProductId, {}, 4);
    QVERIFY(answer.ok);
    QCOMPARE(wordAt(answer.bytes), 1u);
    QCOMPARE(sim.journal(GetProductId).last().conn, 3);
}

QTEST_GUILESS_MAIN(TestSimLifecycle)
#include "tst_simlifecycle.moc"
