#include "hostiledevice.h"

#include <device.h>
#include <iocontrolcodes.h>

#include <isolation.h>
#include <silentconnections.h>

#include <QtTest>

#include <memory>

namespace {

constexpr std::uint32_t kErrorSemTimeout = 121;
constexpr std::uint32_t kErrorDeviceNotConnected = 1167;

QByteArray word(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

bool readProductId(platform::Handle handle, std::uint32_t &pid, std::uint32_t &error)
{
    return platform::ioControl(handle, iocode::GetProductId, nullptr, 0, &pid, sizeof pid, error);
}

} // namespace

// Device peers that break the rules: none of them holds the GUI thread for
// long, a broken connection is let go at once, and a failed call changes nothing.
class TestHostileDevice : public QObject
{
    Q_OBJECT

private slots:
    void init() { isolation = std::make_unique<Isolation>(); }
    void cleanup() { isolation.reset(); }

    void neverAcceptingDeviceOpensInBoundedTime()
    {
        HostileDevice device;
        SilentConnections queue(SOCK_STREAM);
        QVERIFY(queue.fillQueue(device.socketPath()) > 0);
        QElapsedTimer clock;
        clock.start();
        std::uint32_t error = 0;
        const platform::Handle handle = platform::openDevice(device.socketPath().toStdString(), error);
        const qint64 stall = clock.elapsed();
        qInfo() << "open of a device that never accepts took" << stall << "ms";
        QCOMPARE(handle, platform::kInvalidHandle);
        QCOMPARE(error, kErrorSemTimeout);
        QVERIFY(stall < 2000);
    }

    void stalledRequestEndsAtItsDeadline_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("gapMs");
        QTest::addColumn<int>("answered");
        const QByteArray productId = HostileDevice::reply(0, word(1));
        QTest::newRow("never answers") << QByteArray() << 0 << 0;
        QTest::newRow("drips a byte a second") << productId << 1000 << 0;
        QTest::newRow("answers once, then falls silent") << productId << 0 << 1;
    }
    void stalledRequestEndsAtItsDeadline()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, gapMs);
        QFETCH(int, answered);
        HostileDevice device(reply.isEmpty() ? QList<HostileDevice::Step>() : QList {HostileDevice::Step {reply, gapMs}});
        std::uint32_t error = 0;
        const platform::Handle handle = platform::openDevice(device.socketPath().toStdString(), error);
        QVERIFY(handle != platform::kInvalidHandle);
        std::uint32_t pid = 0;
        for (int i = 0; i < answered; ++i)
            QVERIFY(readProductId(handle, pid, error));

        QElapsedTimer clock;
        clock.start();
        QVERIFY(!readProductId(handle, pid, error));
        const qint64 stall = clock.elapsed();
        qInfo() << "request stalled for" << stall << "ms";
        QCOMPARE(error, kErrorSemTimeout);
        // One deadline for the whole exchange, however the bytes trickle in.
        QVERIFY(stall < 7000);
        // Let go at once; a peer busy dripping notices at its next byte.
        QTRY_VERIFY_WITH_TIMEOUT(device.clientClosed(), 2000);

        clock.restart();
        QVERIFY(!readProductId(handle, pid, error));
        QCOMPARE(error, kErrorDeviceNotConnected);
        QVERIFY(clock.elapsed() < 100);
        platform::closeDevice(handle);
    }

    void failedCallLeavesTheBuffer_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<quint32>("error");
        const QByteArray meters(768, '\x11');
        QTest::newRow("failure status with bytes") << HostileDevice::reply(31, meters) << 31u;
        QTest::newRow("reply cut short") << HostileDevice::reply(0, meters).left(400) << kErrorDeviceNotConnected;
        QTest::newRow("reply longer than offered") << HostileDevice::reply(0, meters + meters)
                                                   << kErrorDeviceNotConnected;
    }
    void failedCallLeavesTheBuffer()
    {
        QFETCH(QByteArray, reply);
        QFETCH(quint32, error);
        HostileDevice device({HostileDevice::Step {reply, 0, true}});
        std::uint32_t seamError = 0;
        const platform::Handle handle = platform::openDevice(device.socketPath().toStdString(), seamError);
        QVERIFY(handle != platform::kInvalidHandle);
        const QByteArray before(768, '\x5A');
        QByteArray meters = before;
        QVERIFY(!platform::ioControl(handle, iocode::ReadMeters, nullptr, 0, meters.data(), 768, seamError));
        QCOMPARE(seamError, error);
        QCOMPARE(meters, before);
        platform::closeDevice(handle);
    }

private:
    std::unique_ptr<Isolation> isolation;
};

QTEST_GUILESS_MAIN(TestHostileDevice)
#include "tst_hostiledevice.moc"
