#include "deviceclient.h"
#include "isolation.h"
#include "meterblock.h"
#include "simdevice.h"

#include <QTest>

#include <cmath>
#include <memory>

using namespace iocode;

namespace {

MeterBlock readMeters(DeviceClient &device)
{
    MeterBlock block;
    const DeviceClient::Answer answer = device.call(ReadMeters, {}, sizeof block);
    if (answer.ok)
        std::memcpy(&block, answer.bytes.constData(), sizeof block);
    return block;
}

double toDb(std::int32_t level)
{
    return 20.0 * std::log10(std::abs(double(level)) / MeterBlock::kFullScale);
}

QByteArray phoneMixer(double gain)
{
    MixerBlock block;
    applyBaseRouting(block);
    block.crosspoint[64][2] = gain;
    block.crosspoint[65][3] = gain;
    return mixerBytes(block);
}

} // namespace

// The device state behind the codes: settings, audio, and meters shaped by what was sent.
class TestSimState : public QObject
{
    Q_OBJECT

private slots:
    void init() { isolation = std::make_unique<Isolation>(); }
    void cleanup() { isolation.reset(); }

    void settingRoundTrip_data();
    void settingRoundTrip();
    void settingRefusedWhileRunning_data();
    void settingRefusedWhileRunning();
    void settingsFromOptions();
    void audioAndSlowModeInUsbStatus();
    void handlesShareOneDevice();
    void replugStartsAfresh();
    void metersMove();
    void meterLevels_data();
    void meterLevels();

private:
    std::unique_ptr<Isolation> isolation;
};

void TestSimState::settingRoundTrip_data()
{
    QTest::addColumn<quint32>("setCode");
    QTest::addColumn<quint32>("getCode");
    QTest::addColumn<quint32>("value");

    QTest::newRow("buffer size 48") << SetBufferSize << GetBufferSize << 48u;
    QTest::newRow("buffer size 1024") << SetBufferSize << GetBufferSize << 1024u;
    QTest::newRow("USB latency 8") << SetUsbLatency << GetUsbLatency << 8u;
    QTest::newRow("USB latency 32") << SetUsbLatency << GetUsbLatency << 32u;
}

void TestSimState::settingRoundTrip()
{
    QFETCH(quint32, setCode);
    QFETCH(quint32, getCode);
    QFETCH(quint32, value);

    SimDevice sim;
    QVERIFY(sim.start());
    DeviceClient device;
    QVERIFY(device.call(StopAudio).ok);
    QVERIFY(device.call(setCode, word(value)).ok);
    QVERIFY(device.call(StartAudio).ok);
    const DeviceClient::Answer answer = device.call(getCode, {}, 4);
    QVERIFY(answer.ok);
    QCOMPARE(wordAt(answer.bytes), value);
    QVERIFY(sim.output().contains(QString::number(value)));
}

void TestSimState::settingRefusedWhileRunning_data()
{
    QTest::addColumn<quint32>("setCode");
    QTest::addColumn<quint32>("getCode");
    QTest::addColumn<quint32>("value");
    QTest::addColumn<quint32>("unchanged");

    QTest::newRow("buffer size") << SetBufferSize << GetBufferSize << 512u << 192u;
    QTest::newRow("USB latency") << SetUsbLatency << GetUsbLatency << 16u << 24u;
}

void TestSimState::settingRefusedWhileRunning()
{
    QFETCH(quint32, setCode);
    QFETCH(quint32, getCode);
    QFETCH(quint32, value);
    QFETCH(quint32, unchanged);

    SimDevice sim;
    QVERIFY(sim.start());
    DeviceClient device;
    QVERIFY(device.call(StopAudio).ok);
    QVERIFY(device.call(StartAudio).ok);
    const DeviceClient::Answer refused = device.call(setCode, word(value));
    QVERIFY(!refused.ok);
    QCOMPARE(refused.status, 170u);
    QCOMPARE(sim.journal(setCode).value(0).status, 170u);
    QCOMPARE(wordAt(device.call(getCode, {}, 4).bytes), unchanged);
}

void TestSimState::settingsFromOptions()
{
    SimDevice sim;
    QVERIFY(sim.start({"--buffer-size", "512", "--latency", "16", "--slow-mode"}));
    DeviceClient device;
    QCOMPARE(wordAt(device.call(GetBufferSize, {}, 4).bytes), 512u);
    QCOMPARE(wordAt(device.call(GetUsbLatency, {}, 4).bytes), 16u);
    QCOMPARE(device.call(GetUsbStatus, {}, 7).bytes.at(2), char(0x03));
}

void TestSimState::audioAndSlowModeInUsbStatus()
{
    SimDevice sim;
    QVERIFY(sim.start());
    DeviceClient device;
    const auto flags = [&] { return int(device.call(GetUsbStatus, {}, 7).bytes.at(2)); };
    QCOMPARE(flags(), 0x01);
    QVERIFY(device.call(StopAudio).ok);
    QCOMPARE(flags(), 0x00);
    QVERIFY(device.call(EnableSlowMode).ok);
    QCOMPARE(flags(), 0x02);
    QVERIFY(device.call(StartAudio).ok);
    QCOMPARE(flags(), 0x03);
    QVERIFY(device.call(DisableSlowMode).ok);
    QCOMPARE(flags(), 0x01);
    for (const char *event : {"audio stopped", "slow mode on", "audio started", "slow mode off"})
        QVERIFY2(sim.output().contains(event), event);
}

void TestSimState::handlesShareOneDevice()
{
    SimDevice sim;
    QVERIFY(sim.start());
    DeviceClient settings;
    DeviceClient panel;
    QVERIFY(settings.call(StopAudio).ok);
    QVERIFY(panel.call(SetBufferSize, word(256)).ok);
    QCOMPARE(wordAt(settings.call(GetBufferSize, {}, 4).bytes), 256u);
}

void TestSimState::replugStartsAfresh()
{
    SimDevice sim;
    QVERIFY(sim.start());
    {
        DeviceClient device;
        QVERIFY(device.call(StopAudio).ok);
        QVERIFY(device.call(SetBufferSize, word(256)).ok);
    }
    QVERIFY(sim.stop());
    QVERIFY(sim.start());
    DeviceClient device;
    QCOMPARE(wordAt(device.call(GetBufferSize, {}, 4).bytes), 192u);
    QCOMPARE(device.call(SetBufferSize, word(256)).status, 170u);
}

void TestSimState::metersMove()
{
    SimDevice sim;
    QVERIFY(sim.start());
    DeviceClient device;
    QVERIFY(device.call(WriteMixer, phoneMixer(1.0)).ok);
    const MeterBlock first = readMeters(device);
    const MeterBlock second = readMeters(device);
    for (int i = 0; i < 4; ++i) {
        QVERIFY2(first.level[i] > 0, qPrintable(QString::number(i)));
        QVERIFY2(first.level[i] != second.level[i], qPrintable(QString::number(i)));
    }
}

void TestSimState::meterLevels_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QList<QByteArray>>("commands");
    QTest::addColumn<QByteArray>("mixer");
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("expectedDb");

    using namespace commandtarget;
    const auto gain = [](int channel, int value) { return commandBytes(MicVolume, kVolumeSelector, channel, value); };
    const auto pad = [](int channel, int on) { return commandBytes(Mic20dB, std::uint8_t(on), channel); };
    const QByteArray base = baseMixerBytes();
    const double silent = -std::numeric_limits<double>::infinity();

    QTest::newRow("mic 1 without gain") << "rk1" << QList<QByteArray>() << base << 0 << -60.0;
    QTest::newRow("mic 1 at 42 dB") << "rk1" << QList {gain(1, 84)} << base << 0 << -18.0;
    QTest::newRow("mic 1 gain lowered") << "rk1" << QList {gain(1, 84), gain(1, 20)} << base << 0 << -50.0;
    QTest::newRow("mic 1 padded") << "rk1" << QList {gain(1, 84), pad(1, 1)} << base << 0 << -38.0;
    QTest::newRow("mic 1 pad off again") << "rk1" << QList {gain(1, 84), pad(1, 1), pad(1, 0)} << base << 0
                                         << -18.0;
    QTest::newRow("mic 2 gain leaves mic 1") << "rk2" << QList {gain(2, 84)} << base << 0 << -60.0;
    QTest::newRow("mic 2 at 56 dB") << "rk2" << QList {gain(2, 112)} << base << 1 << -4.0;
    QTest::newRow("mic 1 pad leaves mic 2") << "rk2" << QList {gain(2, 84), pad(1, 1)} << base << 1 << -18.0;
    // The device refuses a gain beyond the model's knob, so an RK2's top gain is the loudest input.
    QTest::newRow("mic 1 at an RK2's top gain") << "rk2" << QList {gain(1, 112)} << base << 0 << -4.0;
    QTest::newRow("phone left, not routed") << "rk1" << QList<QByteArray>() << base << 2 << silent;
    QTest::newRow("phone right, not routed") << "rk1" << QList<QByteArray>() << base << 3 << silent;
    QTest::newRow("phone left at unity") << "rk1" << QList<QByteArray>() << phoneMixer(1.0) << 2 << -20.0;
    QTest::newRow("phone right at -20 dB") << "rk1" << QList<QByteArray>() << phoneMixer(0.1) << 3 << -40.0;
    QTest::newRow("phone left at +6 dB") << "rs" << QList<QByteArray>() << phoneMixer(std::pow(10.0, 0.3)) << 2
                                         << -14.0;
}

void TestSimState::meterLevels()
{
    QFETCH(QString, model);
    QFETCH(QList<QByteArray>, commands);
    QFETCH(QByteArray, mixer);
    QFETCH(int, index);
    QFETCH(double, expectedDb);

    SimDevice sim(model);
    QVERIFY(sim.start());
    DeviceClient panel;
    QVERIFY(panel.call(WriteMixer, mixer).ok);
    for (const QByteArray &command : commands)
        QVERIFY(panel.call(Command, command).ok);
    // Another handle, as the panel's meter timer and its controls share one device.
    DeviceClient meters;
    const MeterBlock block = readMeters(meters);
    if (std::isinf(expectedDb)) {
        QCOMPARE(block.level[index], 0);
        return;
    }
    // The synthetic signal swells by up to 6 dB below its nominal level, plus 1 dB of noise either way.
    const double dB = toDb(block.level[index]);
    QVERIFY2(dB >= expectedDb - 7.0 - 1e-6 && dB <= std::min(expectedDb + 1.0, 0.0) + 1e-6,
             qPrintable(QStringLiteral("level %1 is %2 dB").arg(block.level[index]).arg(dB)));
}

QTEST_GUILESS_MAIN(TestSimState)
#include "tst_simstate.moc"
