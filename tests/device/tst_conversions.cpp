#include <conversions.h>

#include <QtTest>

#include <cmath>
#include <limits>

class TestConversions : public QObject
{
    Q_OBJECT

private slots:
    void dbToGainValues_data()
    {
        QTest::addColumn<double>("dB");
        QTest::addColumn<double>("gain");
        QTest::newRow("floor is silence") << -80.0 << 0.0;
        QTest::newRow("below floor") << -120.0 << 0.0;
        QTest::newRow("far below floor") << -1e9 << 0.0;
        QTest::newRow("just above floor") << -79.0 << std::pow(10.0, -79.0 / 20.0);
        QTest::newRow("dim at -70") << -70.0 << std::pow(10.0, -70.0 / 20.0);
        QTest::newRow("unity") << 0.0 << 1.0;
        QTest::newRow("ceiling") << 6.0 << std::pow(10.0, 6.0 / 20.0);
        QTest::newRow("above ceiling") << 12.0 << std::pow(10.0, 6.0 / 20.0);
    }
    void dbToGainValues()
    {
        QFETCH(double, dB);
        QFETCH(double, gain);
        // Exact comparison: silence must be exactly 0.0 and the clamp must not
        // drift from the value at +6.
        QCOMPARE(dbToGain(dB), gain);
    }

    void dbToGainCeilingIsAboutTwo()
    {
        QVERIFY(qAbs(dbToGain(6) - 1.9953) < 1e-4);
    }

    void levelToDbValues_data()
    {
        QTest::addColumn<qint32>("level");
        QTest::addColumn<double>("dB");
        QTest::newRow("full scale") << qint32(2147483647) << 0.0;
        QTest::newRow("negative full scale") << qint32(-2147483647) << 0.0;
        QTest::newRow("most negative counts as full scale") << std::numeric_limits<qint32>::min() << 0.0;
        QTest::newRow("half scale") << qint32(1073741823) << 20.0 * std::log10(1073741823.0 / 2147483647.0);
        QTest::newRow("negative half scale") << qint32(-1073741823) << 20.0 * std::log10(1073741823.0 / 2147483647.0);
        QTest::newRow("one") << qint32(1) << 20.0 * std::log10(1.0 / 2147483647.0);
    }
    void levelToDbValues()
    {
        QFETCH(qint32, level);
        QFETCH(double, dB);
        QCOMPARE(levelToDb(level), dB);
    }

    void levelToDbOfZeroIsMinusInfinity()
    {
        const double dB = levelToDb(0);
        QVERIFY(std::isinf(dB));
        QVERIFY(dB < 0);
    }
};

QTEST_APPLESS_MAIN(TestConversions)
#include "tst_conversions.moc"
