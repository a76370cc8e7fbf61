#include "accessibility.h"
#include "button.h"
#include "knob.h"

#include <QAccessible>
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

namespace {

// What Qt passed on to screen readers: "value <number>" or "checked <0|1>".
QStringList announced;

void record(QAccessibleEvent *event)
{
    if (event->type() == QAccessible::ValueChanged)
        announced << "value " + static_cast<QAccessibleValueChangeEvent *>(event)->value().toString();
    else if (event->type() == QAccessible::StateChanged
             && static_cast<QAccessibleStateChangeEvent *>(event)->changedStates().checked)
        announced << QStringLiteral("checked %1").arg(int(event->accessibleInterface()->state().checked));
}

QAccessibleInterface *accessible(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

// A volume knob (-80..6), or with an offset a gain knob as the RK2 has it (0..56).
void configure(Knob &knob, int offset, int value)
{
    knob.minimum = offset ? 0 : -80;
    knob.maximum = offset ? 56 : 6;
    knob.displayOffset = offset;
    knob.value = value;
}

} // namespace

// The knob, the switch and the level readout as a screen reader reads and works them.
class TestAccessibleControls : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        accessibility::install();
        QAccessible::installUpdateHandler(record);
        QTRY_VERIFY_WITH_TIMEOUT(QAccessible::isActive(), 10000);
    }
    void init() { announced.clear(); }

    // how: a screen reader's "increase" or "decrease", or a value it sets.
    void knobChanges_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("value");
        QTest::addColumn<QStringList>("heard");
        QTest::newRow("increase") << 0 << 5 << "increase" << 6 << QStringList {"value 6"};
        QTest::newRow("increase at the top") << 0 << 6 << "increase" << 6 << QStringList {"value 6"};
        QTest::newRow("decrease at the bottom") << 0 << -80 << "decrease" << -80 << QStringList {"value -80"};
        QTest::newRow("set as shown") << 9 << 0 << "30" << 21 << QStringList {"value 30"};
        QTest::newRow("set below the face") << 9 << 10 << "5" << 0 << QStringList {"value 0"};
        QTest::newRow("set far above") << 9 << 0 << "1e12" << 56 << QStringList {"value 65"};
        QTest::newRow("set no number") << 9 << 10 << "abc" << 10 << QStringList {};
    }
    void knobChanges()
    {
        QFETCH(int, offset);
        QFETCH(int, start);
        QFETCH(QString, how);
        QFETCH(int, value);
        QFETCH(QStringList, heard);
        Knob knob;
        configure(knob, offset, start);
        QAccessibleInterface *iface = accessible(&knob);
        QSignalSpy changes(&knob, &Knob::valueChangedSig);
        if (how == QLatin1String("increase"))
            iface->actionInterface()->doAction(QAccessibleActionInterface::increaseAction());
        else if (how == QLatin1String("decrease"))
            iface->actionInterface()->doAction(QAccessibleActionInterface::decreaseAction());
        else
            iface->valueInterface()->setCurrentValue(how);
        QCOMPARE(knob.value, value);
        QCOMPARE(changes.count(), heard.size());
        QCOMPARE(announced, heard);
    }

    void buttonActions_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("start");
        QTest::newRow("press turns on") << QAccessibleActionInterface::pressAction() << false;
        QTest::newRow("toggle turns off") << QAccessibleActionInterface::toggleAction() << true;
    }
    void buttonActions()
    {
        QFETCH(QString, action);
        QFETCH(bool, start);
        Button button(QStringLiteral("MUTE"));
        button.active = start;
        QAccessibleInterface *iface = accessible(&button);
        QVERIFY(iface->actionInterface()->actionNames().contains(action));
        QSignalSpy clicks(&button, &Button::pressed);
        iface->actionInterface()->doAction(action);
        QCOMPARE(button.active, !start);
        QCOMPARE(button.shadow->isEnabled(), !start);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(clicks.first().first().toBool(), !start);
        QCOMPARE(announced, QStringList {QStringLiteral("checked %1").arg(int(!start))});
    }

    // Under a screen reader Qt builds a label's interface as soon as it gets its
    // first text, so the readout is asked for before it is named.
    void readout()
    {
        QLabel plain(QStringLiteral("Gain"));
        QLabel label(QStringLiteral("-160 dB"));
        QCOMPARE(accessible(&label)->text(QAccessible::Name), QString("-160 dB"));
        accessibility::nameReadout(&label, QStringLiteral("MIC1 level"), QStringLiteral("Current level, in dB"));
        label.setText(QStringLiteral("-12.5 dB"));
        QAccessibleInterface *iface = accessible(&label);
        QCOMPARE(iface->role(), QAccessible::StaticText);
        QCOMPARE(iface->text(QAccessible::Name), QString("MIC1 level, -12.5 dB"));
        QCOMPARE(iface->text(QAccessible::Description), QString("Current level, in dB"));
        QCOMPARE(iface->text(QAccessible::Value), QString("-12.5 dB"));
        QVERIFY(iface->state().readOnly);
        QCOMPARE(accessible(&plain)->text(QAccessible::Name), QString("Gain"));
        QVERIFY(accessible(&plain)->text(QAccessible::Value).isEmpty());
    }
};

QTEST_MAIN(TestAccessibleControls)
#include "tst_accessiblecontrols.moc"
