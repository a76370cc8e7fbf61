#include <iocontrolcodes.h>
#include <korvistiocontrol.h>

#include <isolation.h>
#include <simdevice.h>

#include <QtTest>

#include <functional>
#include <iostream>
#include <sstream>

namespace {

QByteArray request(std::initializer_list<int> head)
{
    QByteArray bytes(37, '\0');
    int i = 0;
    for (int byte : head)
        bytes[i++] = char(byte);
    return bytes;
}

// What an operation did: succeeded, failed leaving its output alone, or
// failed and still changed its output (a fault).
enum Result { Failed = 0, Succeeded = 1, FailedAndTouched = 2 };
using Operation = std::function<Result(KorvistIoControl &)>;

struct NamedOperation
{
    const char *name;
    quint32 code;
    Operation run;
};

Result plain(bool ok)
{
    return ok ? Succeeded : Failed;
}

Result readInto(bool (KorvistIoControl::*read)(std::uint32_t &), KorvistIoControl &d)
{
    std::uint32_t value = 77;
    const bool ok = (d.*read)(value);
    return ok ? Succeeded : value == 77 ? Failed : FailedAndTouched;
}

const QList<NamedOperation> &allOperations()
{
    static MixerBlock mixer;
    static const QList<NamedOperation> operations {
        {"writeMixer", iocode::WriteMixer, [](KorvistIoControl &d) { return plain(d.writeMixer(mixer)); }},
        {"setBufferSize", iocode::SetBufferSize, [](KorvistIoControl &d) { return plain(d.setBufferSize(256)); }},
        {"getBufferSize", iocode::GetBufferSize,
         [](KorvistIoControl &d) { return readInto(&KorvistIoControl::getBufferSize, d); }},
        {"getUsbLatency", iocode::GetUsbLatency,
         [](KorvistIoControl &d) { return readInto(&KorvistIoControl::getUsbLatency, d); }},
        {"setUsbLatency", iocode::SetUsbLatency, [](KorvistIoControl &d) { return plain(d.setUsbLatency(8)); }},
        {"readMeters", iocode::ReadMeters,
         [](KorvistIoControl &d) {
             MeterBlock meters;
             meters.level[0] = 77;
             const bool ok = d.readMeters(meters);
             return ok ? Succeeded : meters.level[0] == 77 ? Failed : FailedAndTouched;
         }},
        {"stopAudio", iocode::StopAudio, [](KorvistIoControl &d) { return plain(d.stopAudio()); }},
        {"startAudio", iocode::StartAudio, [](KorvistIoControl &d) { return plain(d.startAudio()); }},
        {"getProductId", iocode::GetProductId,
         [](KorvistIoControl &d) { return readInto(&KorvistIoControl::getProductId, d); }},
        {"enableSlowMode", iocode::EnableSlowMode, [](KorvistIoControl &d) { return plain(d.enableSlowMode()); }},
        {"disableSlowMode", iocode::DisableSlowMode, [](KorvistIoControl &d) { return plain(d.disableSlowMode()); }},
        {"setMicInstrument", iocode::Command, [](KorvistIoControl &d) { return plain(d.setMicInstrument(1, 1)); }},
        {"setMic20dB", iocode::Command, [](KorvistIoControl &d) { return plain(d.setMic20dB(1, 1)); }},
        {"setMic48V", iocode::Command, [](KorvistIoControl &d) { return plain(d.setMic48V(1, 1)); }},
        {"setMicVolume", iocode::Command, [](KorvistIoControl &d) { return plain(d.setMicVolume(1, 10)); }},
        {"setOutVolume", iocode::Command, [](KorvistIoControl &d) { return plain(d.setOutVolume(1, 100)); }},
        {"upgradeFirmware", iocode::Command, [](KorvistIoControl &d) { return plain(d.upgradeFirmware()); }},
        {"getFirmwareVersion", iocode::QueryCommand,
         [](KorvistIoControl &d) {
             std::uint8_t version[10] = {9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
             const bool ok = d.getFirmwareVersion(version, 10);
             return ok ? Succeeded : version[0] == 9 ? Failed : FailedAndTouched;
         }},
        {"getUsbStatus", iocode::GetUsbStatus,
         [](KorvistIoControl &d) {
             UsbStatus status;
             return plain(d.getUsbStatus(status));
         }},
    };
    return operations;
}

} // namespace

class TestKorvistIoControl : public QObject
{
    Q_OBJECT

private slots:
    void commandBytes_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("setMicVolume(1, 84)") << "micVolume 1 84" << request({0x01, 0x07, 0x00, 0x02, 0x01, 0x54, 0x00});
        QTest::newRow("setMicVolume(2, 112)") << "micVolume 2 112" << request({0x01, 0x07, 0x00, 0x02, 0x02, 0x70, 0x00});
        // 65536 + 84: only the low 16 bits travel, a value the device accepts.
        QTest::newRow("setMicVolume low 16 bits")
            << "micVolume 1 65620" << request({0x01, 0x07, 0x00, 0x02, 0x01, 0x54, 0x00});
        QTest::newRow("setMic48V(2, 1)") << "mic48V 2 1" << request({0x01, 0x5B, 0x00, 0x01, 0x02});
        QTest::newRow("setOutVolume(5, 100)") << "outVolume 5 100" << request({0x01, 0x03, 0x00, 0x02, 0x05, 0x64, 0x00});
        QTest::newRow("setMic20dB(1, 0) is a request too") << "mic20dB 1 0" << request({0x01, 0x5A, 0x00, 0x00, 0x01});
        QTest::newRow("setMic20dB(2, 1)") << "mic20dB 2 1" << request({0x01, 0x5A, 0x00, 0x01, 0x02});
        QTest::newRow("setMicInstrument(1, 1)") << "micInstrument 1 1" << request({0x01, 0x64, 0x00, 0x01, 0x01});
        QTest::newRow("setMicInstrument(1, 0)") << "micInstrument 1 0" << request({0x01, 0x64, 0x00, 0x00, 0x01});
        QTest::newRow("upgradeFirmware") << "upgrade 0 0" << request({0x01, 0x60});
    }
    void commandBytes()
    {
        QFETCH(QString, operation);
        QFETCH(QByteArray, bytes);
        Isolation isolation;
        SimDevice device(QStringLiteral("rk2"));
        QVERIFY(device.start());
        KorvistIoControl control;
        QVERIFY(control.open());
        const QStringList parts = operation.split(' ');
        const int channel = parts[1].toInt();
        const int value = parts[2].toInt();
        bool sent = false;
        if (parts[0] == "micVolume")
            sent = control.setMicVolume(channel, value);
        else if (parts[0] == "mic48V")
            sent = control.setMic48V(channel, value);
        else if (parts[0] == "outVolume")
            sent = control.setOutVolume(channel, value);
        else if (parts[0] == "mic20dB")
            sent = control.setMic20dB(channel, value);
        else if (parts[0] == "micInstrument")
            sent = control.setMicInstrument(channel, value);
        else
            sent = control.upgradeFirmware();
        QVERIFY(sent);
        const QList<SimJournalEntry> journal = device.journal();
        QCOMPARE(journal.size(), 1);
        QCOMPARE(journal[0].code, iocode::Command);
        QCOMPARE(journal[0].outSize, 0u);
        QCOMPARE(journal[0].in.toHex(), bytes.toHex());
    }

    void firmwareVersion_data()
    {
        QTest::addColumn<uint>("length");
        QTest::addColumn<QByteArray>("copied");
        QTest::newRow("4") << 4u << QByteArray("V1.2");
        QTest::newRow("10") << 10u << QByteArray("V1.2.3-rc9");
        QTest::newRow("20 still copies 10") << 20u << QByteArray("V1.2.3-rc9");
    }
    void firmwareVersion()
    {
        QFETCH(uint, length);
        QFETCH(QByteArray, copied);
        Isolation isolation;
        SimDevice device(QStringLiteral("rk1"));
        QVERIFY(device.start({"--firmware", "V1.2.3-rc9-extra"}));
        KorvistIoControl control;
        QVERIFY(control.open());
        QByteArray out(20, '\x55');
        QVERIFY(control.getFirmwareVersion(reinterpret_cast<std::uint8_t *>(out.data()), length));
        QCOMPARE(out.left(int(copied.size())), copied);
        QCOMPARE(out.mid(int(copied.size())), QByteArray(20 - int(copied.size()), '\x55'));

        const QList<SimJournalEntry> journal = device.journal();
        QCOMPARE(journal.size(), 1);
        QCOMPARE(journal[0].code, iocode::QueryCommand);
        QCOMPARE(journal[0].outSize, 32u);
        QCOMPARE(journal[0].in.toHex(), request({0x01, 0x65}).toHex());
    }

    void firmwareFailureIsWrittenToStandardError_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<bool>("opened");
        QTest::newRow("refused query") << QStringList {"--no-firmware"} << true;
        QTest::newRow("no device") << QStringList() << false;
    }
    void firmwareFailureIsWrittenToStandardError()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(bool, opened);
        Isolation isolation;
        SimDevice device(QStringLiteral("rk1"));
        if (opened)
            QVERIFY(device.start(simArgs));
        KorvistIoControl control;
        QCOMPARE(control.open(), opened);
        std::ostringstream captured;
        std::streambuf *const previous = std::cerr.rdbuf(captured.rdbuf());
        std::uint8_t version[10] = {};
        const bool read = control.getFirmwareVersion(version, sizeof version);
        std::cerr.rdbuf(previous);
        QVERIFY(!read);
        QCOMPARE(QString::fromStdString(captured.str()), QString("Failed to read firmware version from device.\n"));
    }

    void usbStatusKeepsTheLastReplyWhenACallFails()
    {
        Isolation isolation;
        SimDevice device(QStringLiteral("rk1"));
        QVERIFY(device.start({"--usb-errors", "5"}));
        KorvistIoControl control;
        QVERIFY(control.open());
        UsbStatus status;
        QVERIFY(control.getUsbStatus(status));
        QCOMPARE(status.errorCount, 5u);

        QVERIFY(device.stop());
        UsbStatus after;
        QVERIFY(!control.getUsbStatus(after));
        QCOMPARE(after.errorCount, 5u);
        QCOMPARE(after.value0, status.value0);
        QCOMPARE(after.value1, status.value1);
    }

    void usbStatusBeforeAnyReplyIsZero()
    {
        Isolation isolation;
        SimDevice device(QStringLiteral("rk1"));
        QVERIFY(device.start({"--usb-errors", "5", "--fail", QString::number(iocode::GetUsbStatus)}));
        KorvistIoControl control;
        QVERIFY(control.open());
        UsbStatus status;
        status.errorCount = 99;
        status.value0 = 99;
        QVERIFY(!control.getUsbStatus(status));
        QCOMPARE(status.errorCount, 0u);
        QCOMPARE(status.value0, quint16(0));
    }

    void absentDevice()
    {
        Isolation isolation;
        KorvistIoControl control;
        QVERIFY(!control.open());
        for (const NamedOperation &operation : allOperations())
            QVERIFY2(operation.run(control) == Failed, operation.name);
        UsbStatus status;
        status.errorCount = 42;
        QVERIFY(!control.getUsbStatus(status));
        QCOMPARE(status.errorCount, 42u);
    }

    void unopenableDeviceFailsToOpenAndSendsNothing()
    {
        Isolation isolation;
        SimDevice device(QStringLiteral("rk1"));
        QVERIFY(device.start({"--unopenable"}));
        KorvistIoControl control;
        QVERIFY(!control.open());
        for (const NamedOperation &operation : allOperations())
            QVERIFY2(operation.run(control) == Failed, operation.name);
        QVERIFY(device.journal().isEmpty());
    }

    void refusedCodeIsReported_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < allOperations().size(); ++i)
            QTest::newRow(allOperations()[i].name) << i;
    }
    void refusedCodeIsReported()
    {
        QFETCH(int, index);
        const NamedOperation &operation = allOperations()[index];
        Isolation isolation;
        SimDevice device(QStringLiteral("rk1"));
        QVERIFY(device.start({"--fail", QStringLiteral("0x%1").arg(operation.code, 8, 16, QChar('0'))}));
        KorvistIoControl control;
        QVERIFY(control.open());
        QCOMPARE(operation.run(control), Failed);
        const QList<SimJournalEntry> journal = device.journal();
        QCOMPARE(journal.size(), 1);
        QCOMPARE(journal[0].code, operation.code);
        QVERIFY(journal[0].status != 0);
    }

    void everyOperationReachesAWorkingDevice_data() { refusedCodeIsReported_data(); }
    void everyOperationReachesAWorkingDevice()
    {
        QFETCH(int, index);
        const NamedOperation &operation = allOperations()[index];
        Isolation isolation;
        SimDevice device(QStringLiteral("rk1"));
        QVERIFY(device.start());
        KorvistIoControl control;
        QVERIFY(control.open());
        control.stopAudio(); // buffer size and latency are refused while audio runs
        QCOMPARE(operation.run(control), Succeeded);
        QCOMPARE(device.journal().last().code, operation.code);
    }

    void valuesAreReadBack()
    {
        Isolation isolation;
        SimDevice device(QStringLiteral("rs"));
        QVERIFY(device.start({"--buffer-size", "512", "--latency", "32"}));
        KorvistIoControl control;
        QVERIFY(control.open());
        std::uint32_t pid = 0, buffer = 0, latency = 0;
        QVERIFY(control.getProductId(pid));
        QCOMPARE(pid, 15u);
        QTest::ignoreMessage(QtDebugMsg, "Buffer size: 512");
        QVERIFY(control.getBufferSize(buffer));
        QCOMPARE(buffer, 512u);
        QVERIFY(control.getUsbLatency(latency));
        QCOMPARE(latency, 32u);
    }

    void aVanishedDeviceFailsWithoutHanging()
    {
        Isolation isolation;
        SimDevice device(QStringLiteral("rk1"));
        QVERIFY(device.start());
        KorvistIoControl control;
        QVERIFY(control.open());
        QVERIFY(device.stop());
        std::uint32_t pid = 123;
        QVERIFY(!control.getProductId(pid));
        QCOMPARE(pid, 123u);
        QVERIFY(!control.setMicVolume(1, 1));
    }
};

QTEST_GUILESS_MAIN(TestKorvistIoControl)
#include "tst_korvistiocontrol.moc"
