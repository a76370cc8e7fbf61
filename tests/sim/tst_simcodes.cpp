#include "deviceclient.h"
#include "isolation.h"
#include "simdevice.h"
#include "usbstatus.h"

#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <limits>
#include <memory>

using namespace iocode;

// What each of the fourteen codes answers, and what the device refuses.
class TestSimCodes : public QObject
{
    Q_OBJECT

private slots:
    void init() { isolation = std::make_unique<Isolation>(); }
    void cleanup() { isolation.reset(); }

    void everyCodeAnswered_data();
    void everyCodeAnswered();
    void refusedRequests_data();
    void refusedRequests();
    void failOption_data();
    void failOption();
    void noFirmware();
    void productId_data();
    void productId();
    void firmwareText_data();
    void firmwareText();
    void usbErrors();
    void usage_data();
    void usage();
    void journalsTheGoldenSessionLineForLine();

private:
    std::unique_ptr<Isolation> isolation;
};

void TestSimCodes::everyCodeAnswered_data()
{
    QTest::addColumn<quint32>("code");
    QTest::addColumn<QByteArray>("in");
    QTest::addColumn<quint32>("outSize");
    QTest::addColumn<bool>("stopAudioFirst");
    QTest::addColumn<QByteArray>("reply");

    const QByteArray none;
    const QByteArray firmware = QByteArray("1.0.3") + QByteArray(27, '\0');
    const QByteArray query = commandBytes(commandtarget::FirmwareVersion);
    QTest::newRow("write mixer") << WriteMixer << baseMixerBytes() << 0u << false << none;
    QTest::newRow("set buffer size") << SetBufferSize << word(256) << 0u << true << none;
    QTest::newRow("get buffer size") << GetBufferSize << none << 4u << false << word(192);
    QTest::newRow("get USB latency") << GetUsbLatency << none << 4u << false << word(24);
    QTest::newRow("set USB latency") << SetUsbLatency << word(16) << 0u << true << none;
    QTest::newRow("read meters") << ReadMeters << none << 768u << false << QByteArray(768, '\0');
    QTest::newRow("stop audio") << StopAudio << none << 0u << false << none;
    QTest::newRow("start audio") << StartAudio << none << 0u << true << none;
    QTest::newRow("product id") << GetProductId << none << 4u << false << word(1);
    QTest::newRow("slow mode on") << EnableSlowMode << none << 0u << false << none;
    QTest::newRow("slow mode off") << DisableSlowMode << none << 0u << false << none;
    QTest::newRow("command") << Command << commandBytes(commandtarget::MicVolume, kVolumeSelector, 1, 84) << 0u
                             << false << none;
    QTest::newRow("full output volume") << Command << commandBytes(commandtarget::OutVolume, kVolumeSelector, 2, 100)
                                        << 0u << false << none;
    QTest::newRow("firmware query") << QueryCommand << query << 32u << false << firmware;
    QTest::newRow("USB status") << GetUsbStatus << none << 7u << false << QByteArray::fromHex("00020100000000");
}

void TestSimCodes::everyCodeAnswered()
{
    QFETCH(quint32, code);
    QFETCH(QByteArray, in);
    QFETCH(quint32, outSize);
    QFETCH(bool, stopAudioFirst);
    QFETCH(QByteArray, reply);

    SimDevice sim;
    QVERIFY(sim.start());
    DeviceClient device;
    QVERIFY(device.isOpen());
    if (stopAudioFirst)
        QVERIFY(device.call(StopAudio).ok);

    const DeviceClient::Answer answer = device.exchange(code, in, outSize);
    QVERIFY(answer.ok);
    QCOMPARE(answer.status, 0u);
    QCOMPARE(answer.bytes.size(), reply.size());
    // Levels move from read to read; the meter tests look at their values.
    if (code != ReadMeters)
        QCOMPARE(answer.bytes.toHex(), reply.toHex());

    const QList<SimJournalEntry> journal = sim.journal(code);
    QVERIFY(!journal.isEmpty());
    QCOMPARE(journal.last().in, in);
    QCOMPARE(journal.last().outSize, outSize);
    QCOMPARE(journal.last().status, 0u);
}

void TestSimCodes::refusedRequests_data()
{
    QTest::addColumn<quint32>("code");
    QTest::addColumn<QByteArray>("in");
    QTest::addColumn<quint32>("outSize");
    QTest::addColumn<quint32>("status");

    const QByteArray none;
    const QByteArray mixer = baseMixerBytes();
    QByteArray notANumber = mixer;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::memcpy(notANumber.data() + 8 * (32 * 64 + 2), &nan, sizeof nan);
    const QByteArray volume = commandBytes(commandtarget::MicVolume, kVolumeSelector, 1, 84);
    const QByteArray query = commandBytes(commandtarget::FirmwareVersion);
    const auto changed = [](QByteArray bytes, int at, char value) {
        bytes[at] = value;
        return bytes;
    };

    QTest::newRow("unknown code") << 0xFFDC2054u << none << 0u << 1u;
    QTest::newRow("code zero") << 0u << none << 4u << 1u;
    QTest::newRow("mixer one byte short") << WriteMixer << mixer.left(mixer.size() - 1) << 0u << 87u;
    QTest::newRow("mixer with a gain that is not a number") << WriteMixer << notANumber << 0u << 87u;
    QTest::newRow("buffer size not offered") << SetBufferSize << word(100) << 0u << 87u;
    QTest::newRow("buffer size in 3 bytes") << SetBufferSize << word(256).left(3) << 0u << 87u;
    QTest::newRow("get buffer size into 3 bytes") << GetBufferSize << none << 3u << 122u;
    QTest::newRow("get buffer size with input") << GetBufferSize << word(0) << 4u << 87u;
    QTest::newRow("USB latency not offered") << SetUsbLatency << word(12) << 0u << 87u;
    QTest::newRow("get USB latency into nothing") << GetUsbLatency << none << 0u << 122u;
    QTest::newRow("meters into 767 bytes") << ReadMeters << none << 767u << 122u;
    QTest::newRow("stop audio with input") << StopAudio << QByteArray(1, '\0') << 0u << 87u;
    QTest::newRow("product id into 2 bytes") << GetProductId << none << 2u << 122u;
    QTest::newRow("USB status into 6 bytes") << GetUsbStatus << none << 6u << 122u;
    QTest::newRow("command of 36 bytes") << Command << volume.left(36) << 0u << 87u;
    QTest::newRow("command of 38 bytes") << Command << volume + '\0' << 0u << 87u;
    QTest::newRow("command, request code 2") << Command << changed(volume, 0, 2) << 0u << 87u;
    QTest::newRow("command, reserved byte set") << Command << changed(volume, 2, 1) << 0u << 87u;
    QTest::newRow("command, tail byte set") << Command << changed(volume, 36, 1) << 0u << 87u;
    QTest::newRow("command, unknown target") << Command << commandBytes(0x10) << 0u << 87u;
    QTest::newRow("command, firmware query target") << Command << commandBytes(commandtarget::FirmwareVersion)
                                                    << 0u << 87u;
    QTest::newRow("command, volume selector 1") << Command << changed(volume, 3, 1) << 0u << 87u;
    QTest::newRow("command, channel 0") << Command << changed(volume, 4, 0) << 0u << 87u;
    QTest::newRow("command, channel 9") << Command << changed(volume, 4, 9) << 0u << 87u;
    QTest::newRow("command, switch state 2") << Command << commandBytes(commandtarget::Mic48V, 2, 1) << 0u << 87u;
    QTest::newRow("command, switch with a value") << Command << commandBytes(commandtarget::Mic20dB, 1, 1, 5) << 0u
                                                  << 87u;
    QTest::newRow("command, upgrade with a channel") << Command << commandBytes(commandtarget::UpgradeFirmware, 0, 1)
                                                     << 0u << 87u;
    QTest::newRow("query, volume target") << QueryCommand << volume << 32u << 87u;
    // Every output size but the driver's own is refused, larger ones too.
    QTest::newRow("get buffer size into 16 bytes") << GetBufferSize << none << 16u << 122u;
    QTest::newRow("product id into 8 bytes") << GetProductId << none << 8u << 122u;
    QTest::newRow("meters into 1024 bytes") << ReadMeters << none << 1024u << 122u;
    QTest::newRow("USB status into 8 bytes") << GetUsbStatus << none << 8u << 122u;
    QTest::newRow("firmware query into nothing") << QueryCommand << query << 0u << 122u;
    QTest::newRow("firmware query into 10 bytes") << QueryCommand << query << 10u << 122u;
    QTest::newRow("firmware query into 64 bytes") << QueryCommand << query << 64u << 122u;
    QTest::newRow("mixer with a 4-byte output") << WriteMixer << mixer << 4u << 122u;
    QTest::newRow("stop audio with a 4-byte output") << StopAudio << none << 4u << 122u;
    QTest::newRow("command with a 4-byte output") << Command << volume << 4u << 122u;
    QTest::newRow("mic gain in the wrong byte order") << Command
                                                      << commandBytes(commandtarget::MicVolume, kVolumeSelector, 1, 21504)
                                                      << 0u << 87u;
    QTest::newRow("mic gain above an RK1's knob") << Command
                                                  << commandBytes(commandtarget::MicVolume, kVolumeSelector, 1, 85)
                                                  << 0u << 87u;
    QTest::newRow("output volume above full") << Command
                                              << commandBytes(commandtarget::OutVolume, kVolumeSelector, 1, 101)
                                              << 0u << 87u;
    QTest::newRow("query of 36 bytes") << QueryCommand << commandBytes(commandtarget::FirmwareVersion).left(36)
                                       << 32u << 87u;
}

void TestSimCodes::refusedRequests()
{
    QFETCH(quint32, code);
    QFETCH(QByteArray, in);
    QFETCH(quint32, outSize);
    QFETCH(quint32, status);

    SimDevice sim;
    QVERIFY(sim.start());
    DeviceClient device;
    const DeviceClient::Answer answer = device.exchange(code, in, outSize);
    QVERIFY(answer.ok);
    QCOMPARE(answer.status, status);
    QCOMPARE(answer.bytes.size(), 0);

    const QList<SimJournalEntry> journal = sim.journal();
    QCOMPARE(journal.size(), 1);
    QCOMPARE(journal.first().code, code);
    QCOMPARE(journal.first().in, in);
    QCOMPARE(journal.first().status, status);
    // The handle stays usable after a refusal.
    QCOMPARE(wordAt(device.call(GetProductId, {}, 4).bytes), 1u);
}

void TestSimCodes::failOption_data()
{
    QTest::addColumn<QString>("failText");
    QTest::addColumn<quint32>("code");
    QTest::addColumn<QByteArray>("in");
    QTest::addColumn<quint32>("outSize");

    QTest::newRow("product id, upper-case hex") << QString(codeText(GetProductId)) << GetProductId << QByteArray()
                                                << 4u;
    QTest::newRow("command, lower-case hex") << QString(codeText(Command)).toLower()
                                             << Command << commandBytes(commandtarget::Mic48V, 1, 1) << 0u;
    QTest::newRow("meters, decimal") << QString::number(ReadMeters) << ReadMeters << QByteArray() << 768u;
    QTest::newRow("mixer") << QString(codeText(WriteMixer)) << WriteMixer << baseMixerBytes() << 0u;
}

void TestSimCodes::failOption()
{
    QFETCH(QString, failText);
    QFETCH(quint32, code);
    QFETCH(QByteArray, in);
    QFETCH(quint32, outSize);

    SimDevice sim;
    QVERIFY(sim.start({"--fail", failText, "--fail", QString(codeText(GetUsbStatus))}));
    DeviceClient device;
    const DeviceClient::Answer seam = device.call(code, in, outSize);
    QVERIFY(!seam.ok);
    QCOMPARE(seam.status, 31u);
    const DeviceClient::Answer wire = device.exchange(code, in, outSize);
    QCOMPARE(wire.status, 31u);
    QCOMPARE(wire.bytes.size(), 0);
    QCOMPARE(device.call(GetUsbStatus, {}, 7).status, 31u);
    QVERIFY(device.call(GetBufferSize, {}, 4).ok);

    const QList<SimJournalEntry> failed = sim.journal(code);
    QCOMPARE(failed.size(), 2);
    QCOMPARE(failed.first().in, in);
    QCOMPARE(failed.first().status, 31u);
}

void TestSimCodes::noFirmware()
{
    SimDevice sim;
    QVERIFY(sim.start({"--no-firmware"}));
    DeviceClient device;
    const DeviceClient::Answer query = device.exchange(QueryCommand, commandBytes(commandtarget::FirmwareVersion), 32);
    QCOMPARE(query.status, 31u);
    QCOMPARE(query.bytes.size(), 0);
    QCOMPARE(sim.journal(QueryCommand).value(0).status, 31u);
    QCOMPARE(wordAt(device.call(GetProductId, {}, 4).bytes), 1u);
}

void TestSimCodes::productId_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<quint32>("productId");

    QTest::newRow("rk1") << "rk1" << QStringList() << 1u;
    QTest::newRow("rk2") << "rk2" << QStringList() << 2u;
    QTest::newRow("rs") << "rs" << QStringList() << 15u;
    QTest::newRow("rs as 7") << "rs" << QStringList {"--pid", "7"} << 7u;
    QTest::newRow("rk1 as 0x0F") << "rk1" << QStringList {"--pid", "0x0F"} << 15u;
    QTest::newRow("rk2 as 0") << "rk2" << QStringList {"--pid", "0"} << 0u;
}

void TestSimCodes::productId()
{
    QFETCH(QString, model);
    QFETCH(QStringList, args);
    QFETCH(quint32, productId);

    SimDevice sim(model);
    QVERIFY(sim.start(args));
    QVERIFY(QFileInfo(sim.socketPath()).fileName().startsWith(model + '-'));
    DeviceClient device;
    const DeviceClient::Answer answer = device.call(GetProductId, {}, 4);
    QVERIFY(answer.ok);
    QCOMPARE(wordAt(answer.bytes), productId);
}

void TestSimCodes::firmwareText_data()
{
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<QByteArray>("reply");

    const QByteArray long40 = QByteArray("0123456789").repeated(4);
    QTest::newRow("short") << "2.4.1-beta" << QByteArray("2.4.1-beta") + QByteArray(22, '\0');
    QTest::newRow("longer than the reply") << QString::fromLatin1(long40) << long40.left(32);
    QTest::newRow("empty") << "" << QByteArray(32, '\0');
}

void TestSimCodes::firmwareText()
{
    QFETCH(QString, firmware);
    QFETCH(QByteArray, reply);

    SimDevice sim;
    QVERIFY(sim.start({"--firmware", firmware}));
    DeviceClient device;
    const DeviceClient::Answer answer = device.call(QueryCommand, commandBytes(commandtarget::FirmwareVersion), 32);
    QVERIFY(answer.ok);
    QCOMPARE(answer.bytes, reply);
}

void TestSimCodes::usbErrors()
{
    SimDevice sim;
    QVERIFY(sim.start({"--usb-errors", "70000"}));
    DeviceClient device;
    const DeviceClient::Answer answer = device.call(GetUsbStatus, {}, UsbStatus::kWireSize);
    QVERIFY(answer.ok);
    std::uint8_t raw[UsbStatus::kWireSize];
    std::memcpy(raw, answer.bytes.constData(), sizeof raw);
    QCOMPARE(UsbStatus::fromWire(raw).errorCount, 70000u);
}

void TestSimCodes::usage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");

    QTest::newRow("--help") << QStringList {"--help"} << 0;
    QTest::newRow("no subcommand") << QStringList() << 2;
    QTest::newRow("unknown subcommand") << QStringList {"printer"} << 2;
    QTest::newRow("no model") << QStringList {"device"} << 2;
    QTest::newRow("unknown model") << QStringList {"device", "--model", "rk9"} << 2;
    QTest::newRow("unknown option") << QStringList {"device", "--model", "rk1", "--colour"} << 2;
    QTest::newRow("value missing") << QStringList {"device", "--model", "rk1", "--fail"} << 2;
    QTest::newRow("pid not a number") << QStringList {"device", "--model", "rk1", "--pid", "abc"} << 2;
    QTest::newRow("negative pid") << QStringList {"device", "--model", "rk1", "--pid", "-1"} << 2;
    QTest::newRow("hex without digits") << QStringList {"device", "--model", "rk1", "--fail", "0x"} << 2;
    QTest::newRow("code beyond 32 bits") << QStringList {"device", "--model", "rk1", "--fail", "0x1FFDC2040"} << 2;
    QTest::newRow("fail a code the device lacks") << QStringList {"device", "--model", "rk1", "--fail", "0x1A"} << 2;
    QTest::newRow("buffer size not offered") << QStringList {"device", "--model", "rk1", "--buffer-size", "100"} << 2;
    QTest::newRow("latency not offered") << QStringList {"device", "--model", "rk1", "--latency", "12"} << 2;
}

void TestSimCodes::usage()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);

    QProcess process;
    process.start(QStringLiteral(KORVIST_SIM_PATH), args);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), exitCode);
    QVERIFY((exitCode == 0 ? process.readAllStandardOutput() : process.readAllStandardError()).contains("usage:"));
    std::uint32_t error = 0;
    QVERIFY(!platform::findDeviceInterface(DeviceClient::interfaceClass(), error));
}

// The golden session: korvist-sim device and the simulated Windows driver must
// journal exactly these lines for these requests, sent on the connections they name.
void TestSimCodes::journalsTheGoldenSessionLineForLine()
{
    QFile golden(QStringLiteral(KORVIST_GOLDEN_SESSION));
    QVERIFY(golden.open(QIODevice::ReadOnly));
    SimDevice device;
    QVERIFY(device.start());
    std::vector<std::unique_ptr<DeviceClient>> connections;
    for (const SimJournalEntry &request : readSimJournal(golden.fileName())) {
        while (qsizetype(connections.size()) < request.conn)
            connections.push_back(std::make_unique<DeviceClient>());
        QCOMPARE(connections[std::size_t(request.conn - 1)]->call(request.code, request.in, request.outSize).status,
                 request.status);
    }
    QFile journal(device.journalPath());
    QVERIFY(journal.open(QIODevice::ReadOnly));
    QCOMPARE(journal.readAll(), golden.readAll());
}

QTEST_GUILESS_MAIN(TestSimCodes)
#include "tst_simcodes.moc"

