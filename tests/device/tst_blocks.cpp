#include <commandrequest.h>
#include <mixerblock.h>
#include <usbstatus.h>

#include <QtTest>

#include <cstddef>
#include <cstring>

namespace {

int nonZeroEntries(const MixerBlock &mixer)
{
    const auto *values = reinterpret_cast<const double *>(&mixer);
    int count = 0;
    for (std::size_t i = 0; i < sizeof mixer / sizeof(double); ++i)
        count += values[i] != 0.0;
    return count;
}

double entryAtByte(const MixerBlock &mixer, std::size_t offset)
{
    double value;
    std::memcpy(&value, reinterpret_cast<const char *>(&mixer) + offset, sizeof value);
    return value;
}

} // namespace

class TestBlocks : public QObject
{
    Q_OBJECT

private slots:
    void mixerLayout_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("byteOffset");
        QTest::newRow("first") << 0 << 0 << 0;
        QTest::newRow("row 64 column 2") << 64 << 2 << 8 * (32 * 64 + 2);
        QTest::newRow("row 133 column 5") << 133 << 5 << 8 * (32 * 133 + 5);
        QTest::newRow("last crosspoint") << 255 << 31 << 65528;
    }
    void mixerLayout()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(int, byteOffset);
        MixerBlock mixer;
        mixer.crosspoint[row][column] = 0.5;
        QCOMPARE(entryAtByte(mixer, std::size_t(byteOffset)), 0.5);
        QCOMPARE(nonZeroEntries(mixer), 1);
    }

    void outputGainsFollowTheMatrix()
    {
        MixerBlock mixer;
        QCOMPARE(offsetof(MixerBlock, outputGain), std::size_t(65536));
        mixer.outputGain[4] = 0.25;
        QCOMPARE(entryAtByte(mixer, 65536 + 8 * 4), 0.25);
        mixer.outputGain[95] = 0.75;
        QCOMPARE(entryAtByte(mixer, 66296), 0.75);
    }

    void baseRouting()
    {
        MixerBlock mixer;
        applyBaseRouting(mixer);
        QCOMPARE(nonZeroEntries(mixer), 118);
        for (double gain : mixer.outputGain)
            QCOMPARE(gain, 1.0);
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(mixer.crosspoint[4 + i][i], 1.0);
            QCOMPARE(mixer.crosspoint[160 + i][i], 1.0);
        }
        const int pairs[][2] = {{96, 0}, {97, 1}, {128, 0}, {129, 1}, {130, 0}, {131, 1}};
        for (const auto &pair : pairs)
            QCOMPARE(mixer.crosspoint[pair[0]][pair[1]], 1.0);
        // The routes that the panels' controls own start silent.
        QCOMPARE(mixer.crosspoint[64][0], 0.0);
        QCOMPARE(mixer.crosspoint[65][1], 0.0);
        QCOMPARE(mixer.crosspoint[132][0], 0.0);
    }

    void commandRequestLayout()
    {
        const CommandRequest request = CommandRequest::make(0x07, 0x02, 1, 0x1234);
        const auto *bytes = reinterpret_cast<const std::uint8_t *>(&request);
        const std::uint8_t head[] = {0x01, 0x07, 0x00, 0x02, 0x01, 0x34, 0x12};
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(bytes), 7),
                 QByteArray(reinterpret_cast<const char *>(head), 7));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(bytes) + 7, 30), QByteArray(30, '\0'));
    }

    void usbStatusFields()
    {
        const std::uint8_t wire[7] = {0x34, 0x12, 0x56, 0x05, 0x00, 0x00, 0x80};
        const UsbStatus status = UsbStatus::fromWire(wire);
        QCOMPARE(status.value0, std::uint16_t(0x1234));
        QCOMPARE(status.value1, std::uint8_t(0x56));
        QCOMPARE(status.errorCount, std::uint32_t(0x80000005));
    }
};

QTEST_APPLESS_MAIN(TestBlocks)
#include "tst_blocks.moc"
