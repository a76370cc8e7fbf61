#include <devicemodel.h>

#include <QtTest>

class TestDeviceModel : public QObject
{
    Q_OBJECT

private slots:
    void productIds_data()
    {
        QTest::addColumn<uint>("productId");
        QTest::addColumn<int>("model"); // -1: not a model of ours
        QTest::newRow("0 no device") << 0u << -1;
        QTest::newRow("1 RK1") << 1u << int(DeviceModel::RK1);
        QTest::newRow("2 RK2") << 2u << int(DeviceModel::RK2);
        QTest::newRow("3 unknown") << 3u << -1;
        QTest::newRow("15 RS") << 15u << int(DeviceModel::RS);
        QTest::newRow("0x10F unknown") << 0x10Fu << -1;
    }
    void productIds()
    {
        QFETCH(uint, productId);
        QFETCH(int, model);
        const std::optional<DeviceModel> found = modelForProductId(productId);
        QCOMPARE(found ? int(*found) : -1, model);
    }

    void titles_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QByteArray>("firmware");
        QTest::addColumn<QString>("title");
        QTest::newRow("RK1 1.0.3 padded with zeros")
            << int(DeviceModel::RK1) << QByteArray("1.0.3\0\0\0\0\0", 10)
            << QString("Korvist RK1 - FW: 1.0.3") + QString(5, QChar(0));
        QTest::newRow("RK2 ten characters") << int(DeviceModel::RK2) << QByteArray("V2.1.0-b07")
                                            << QString("Korvist RK2 - FW: V2.1.0-b07");
        QTest::newRow("RS") << int(DeviceModel::RS) << QByteArray("0123456789") << QString("Korvist RS - FW: 0123456789");
        QTest::newRow("percent signs stay literal") << int(DeviceModel::RK1) << QByteArray("%1%2%3%4%5")
                                                    << QString("Korvist RK1 - FW: %1%2%3%4%5");
        QTest::newRow("high bytes are Latin-1 characters")
            << int(DeviceModel::RK1) << QByteArray("\xff\xe9\x01zzzzzzz", 10)
            << QString("Korvist RK1 - FW: ") + QChar(0xff) + QChar(0xe9) + QChar(1) + QString("zzzzzzz");
    }
    void titles()
    {
        QFETCH(int, model);
        QFETCH(QByteArray, firmware);
        QFETCH(QString, title);
        QCOMPARE(firmware.size(), 10);
        std::uint8_t bytes[10];
        std::memcpy(bytes, firmware.constData(), 10);
        QCOMPARE(windowTitleFor(DeviceModel(model), bytes), title);
    }
};

QTEST_APPLESS_MAIN(TestDeviceModel)
#include "tst_devicemodel.moc"
