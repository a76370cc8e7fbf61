#include <panelkit.h>
#include <storedvalue.h>

#include <QtTest>

#include <cmath>
#include <limits>

// The rules every panel shares: effective output level, level readouts, stored values.
class TestPanelKit : public QObject
{
    Q_OBJECT

private slots:
    void effectiveLevel_data()
    {
        QTest::addColumn<int>("dB");
        QTest::addColumn<bool>("muted");
        QTest::addColumn<bool>("dimmed");
        QTest::addColumn<int>("level");
        QTest::newRow("plain") << -12 << false << false << -12;
        QTest::newRow("dim") << -10 << false << true << -30;
        QTest::newRow("dim at -70 goes below the floor") << -70 << false << true << -90;
        QTest::newRow("dim at +6") << 6 << false << true << -14;
        QTest::newRow("mute") << 6 << true << false << -80;
        QTest::newRow("mute wins over dim") << -10 << true << true << -80;
    }
    void effectiveLevel()
    {
        QFETCH(int, dB);
        QFETCH(bool, muted);
        QFETCH(bool, dimmed);
        QFETCH(int, level);
        QCOMPARE(panelkit::effectiveLevel(dB, muted, dimmed), level);
    }

    void meanLevel_data()
    {
        QTest::addColumn<qint32>("a");
        QTest::addColumn<qint32>("b");
        QTest::addColumn<qint32>("mean");
        const qint32 max = std::numeric_limits<qint32>::max();
        const qint32 min = std::numeric_limits<qint32>::min();
        QTest::newRow("both full scale, no overflow") << max << max << max;
        QTest::newRow("both most negative") << min << min << min;
        QTest::newRow("opposite extremes") << max << min << qint32(0);
        QTest::newRow("truncated toward zero, positive") << qint32(3) << qint32(4) << qint32(3);
        QTest::newRow("truncated toward zero, negative") << qint32(-3) << qint32(-4) << qint32(-3);
        QTest::newRow("one silent side") << qint32(1000) << qint32(0) << qint32(500);
    }
    void meanLevel()
    {
        QFETCH(qint32, a);
        QFETCH(qint32, b);
        QFETCH(qint32, mean);
        QCOMPARE(panelkit::meanLevel(a, b), mean);
    }

    void levelText_data()
    {
        QTest::addColumn<qint32>("level");
        QTest::addColumn<QString>("text");
        QTest::newRow("full scale") << qint32(2147483647) << "0.0 dB";
        QTest::newRow("half scale") << qint32(1073741823) << "-6.0 dB";
        QTest::newRow("tenth of full scale") << qint32(214748365) << "-20.0 dB";
        QTest::newRow("sign ignored") << qint32(-214748365) << "-20.0 dB";
        QTest::newRow("smallest") << qint32(1) << "-186.6 dB";
        QTest::newRow("silence as Qt prints minus infinity")
            << qint32(0) << QString::number(-std::numeric_limits<double>::infinity(), 'f', 1) + " dB";
    }
    void levelText()
    {
        QFETCH(qint32, level);
        QFETCH(QString, text);
        QCOMPARE(panelkit::levelText(level), text);
    }

    // What a stored value means as a switch ("on", "off") and as a number;
    // empty where it counts as missing.
    void parseStoredValue_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("asSwitch");
        QTest::addColumn<QString>("asNumber");
        const auto row = [](const QVariant &stored, const char *asSwitch, const char *asNumber) {
            QTest::newRow(qPrintable(QString("%1 '%2'").arg(stored.typeName(), stored.toString())))
                << stored << QString(asSwitch) << QString(asNumber);
        };
        for (const char *text : {"true", "false", "True", "yes", "on", ""})
            row(text, text == QLatin1String("true") ? "on" : text == QLatin1String("false") ? "off" : "", "");
        row("1", "on", "1");
        row("0", "off", "0");
        row(true, "on", "");
        row(-12, "", "-12");
        for (const char *number : {"-2147483648", "2147483647", "+5", "-80"})
            row(number, "", number[0] == '+' ? number + 1 : number);
        for (const char *garbage : {"-2147483649", "2147483648", "99999999999999999999", " 5", "1.5", "0x10", "-"})
            row(garbage, "", "");
        row(QString(QChar(0x0663)), "", "");
        row(QStringList {"1", "2"}, "", "");
    }
    void parseStoredValue()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, asSwitch);
        QFETCH(QString, asNumber);
        const std::optional<bool> onOff = savedstate::parseStoredSwitch(stored);
        QCOMPARE(QString(onOff ? (*onOff ? "on" : "off") : ""), asSwitch);
        const std::optional<int> number = savedstate::parseStoredNumber(stored);
        QCOMPARE(number ? QString::number(*number) : QString(), asNumber);
    }
};

QTEST_APPLESS_MAIN(TestPanelKit)
#include "tst_panelkit.moc"
