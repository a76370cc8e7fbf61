#include "panelfactory.h"
#include "panelprobe.h"

#include <accessibility.h>
#include <isolation.h>

#include <QAccessible>
#include <QTranslator>
#include <QWheelEvent>
#include <QtTest>

using namespace panelprobe;

namespace {

// Every object below root, in the order a screen reader walks them.
void walk(QAccessibleInterface *root, QList<QAccessibleInterface *> &found)
{
    for (int i = 0; i < root->childCount(); ++i) {
        QAccessibleInterface *child = root->child(i);
        found.append(child);
        walk(child, found);
    }
}

// The requests the device got from the given one on, as "code:bytes".
QStringList requestsFrom(const SimDevice &device, int first)
{
    QStringList described;
    for (const SimJournalEntry &entry : device.journal().mid(first))
        described.append(QString::number(entry.code, 16) + ':' + entry.in.toHex());
    return described;
}

} // namespace

// The panels as a screen reader finds, reads and works them, through Qt's
// accessibility interfaces alone.
class TestPanelAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        accessibility::install();
        QCoreApplication::setApplicationName(QStringLiteral("KorvistDriver"));
    }

    void everyControlIsNamed_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QList<int>>("counts"); // knobs, switches, readouts
        QTest::addColumn<QStringList>("firstKnob"); // name, description
        QTest::newRow("rk1") << "rk1" << "en_US" << QList<int> {3, 6, 2}
                             << QStringList {"INPUT Gain", "Gain of the microphone input"};
        QTest::newRow("rk2") << "rk2" << "en_US" << QList<int> {6, 10, 4}
                             << QStringList {"MIC1 Gain", "Gain of the microphone input"};
        QTest::newRow("rs") << "rs" << "en_US" << QList<int> {2, 3, 1}
                            << QStringList {"MIC Gain", "Gain of the microphone input"};
        QTest::newRow("rk2 in Chinese") << "rk2" << "zh_CN" << QList<int> {6, 10, 4}
                                        << QStringList {"麦克风1 增益", "麦克风输入的增益"};
    }
    void everyControlIsNamed()
    {
        QFETCH(QString, model);
        QFETCH(QString, language);
        QFETCH(QList<int>, counts);
        QFETCH(QStringList, firstKnob);
        QTranslator translator;
        QVERIFY(translator.load(QStringLiteral(KORVIST_QM_DIR "/KorvistDriver_%1.qm").arg(language)));
        QCoreApplication::installTranslator(&translator);
        Isolation isolation;
        SimDevice device(model);
        QVERIFY(device.start());
        std::unique_ptr<QWidget> panel = createPanel(model);
        QCoreApplication::removeTranslator(&translator);
        panel->findChild<Button *>()->setActive(true);

        QList<QAccessibleInterface *> found;
        walk(QAccessible::queryAccessibleInterface(panel.get()), found);
        QList<int> seen {0, 0, 0};
        QStringList names;
        QStringList descriptions;
        for (QAccessibleInterface *iface : found) {
            if (auto *knob = qobject_cast<Knob *>(iface->object())) {
                QCOMPARE(iface->role(), QAccessible::SpinBox);
                QAccessibleValueInterface *range = iface->valueInterface();
                QVERIFY(range);
                QVERIFY(range->minimumValue().toInt() < range->maximumValue().toInt());
                QCOMPARE(range->minimumStepSize().toInt(), 1);
                QCOMPARE(iface->text(QAccessible::Value), range->currentValue().toString() + " dB");
                QCOMPARE(iface->textInterface()->text(0, 99), iface->text(QAccessible::Value));
                QCOMPARE(range->currentValue().toInt(), knob->value);
                ++seen[0];
            } else if (auto *control = qobject_cast<Button *>(iface->object())) {
                QCOMPARE(iface->role(), QAccessible::CheckBox);
                QVERIFY(iface->state().checkable);
                QCOMPARE(bool(iface->state().checked), control->active);
                ++seen[1];
            } else if (auto *readout = qobject_cast<QLabel *>(iface->object());
                       readout && levelLabels(panel.get()).contains(readout)) {
                QCOMPARE(iface->role(), QAccessible::StaticText);
                QCOMPARE(iface->text(QAccessible::Value), readout->text());
                ++seen[2];
            } else {
                continue;
            }
            const QString name = iface->text(QAccessible::Name);
            QVERIFY2(!name.isEmpty() && !names.contains(name), qPrintable(name));
            names.append(name);
            descriptions.append(iface->text(QAccessible::Description));
            QVERIFY2(!descriptions.last().isEmpty(), qPrintable(name));
        }
        QCOMPARE(seen, counts);
        QCOMPARE((QStringList {names.first(), descriptions.first()}), firstKnob);
    }

    // What a screen reader names at each Tab stop, from the control focused at
    // start: every control once, left to right by column, top to bottom within a
    // column, and round to the first again.
    void tabOrder_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QStringList>("stops");
        QTest::newRow("rk1") << "rk1"
                             << QStringList {"INPUT Gain", "INPUT MIC", "INPUT 20dB", "INPUT 48V", "INPUT DIRECT",
                                             "HEADPHONE Volume", "HEADPHONE MUTE", "HEADPHONE DIM", "Phone To HP Volume"};
        QTest::newRow("rk2") << "rk2"
                             << QStringList {"MIC1 Gain", "MIC1 20dB", "MIC1 48V", "MIC1 DIRECT", "MIC2 Gain",
                                             "MIC2 20dB", "MIC2 48V", "MIC2 DIRECT", "SPEAKER Volume", "SPEAKER MUTE",
                                             "SPEAKER DIM", "Phone To SP Volume", "HEADPHONE Volume", "HEADPHONE MUTE",
                                             "HEADPHONE ASIO 1-2", "Phone To HP Volume"};
        QTest::newRow("rs") << "rs"
                            << QStringList {"MIC Gain", "MIC DIRECT", "HEADPHONE Volume", "HEADPHONE MUTE",
                                            "HEADPHONE DIM"};
    }
    void tabOrder()
    {
        QFETCH(QString, model);
        QFETCH(QStringList, stops);
        Isolation isolation;
        SimDevice device(model);
        QVERIFY(device.start());
        std::unique_ptr<QWidget> panel = createPanel(model);
        panel->show();
        // No window manager here to activate it.
        panel->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(panel.get()));
        QStringList heard;
        for (int stop = 0; stop <= stops.size(); ++stop) {
            QVERIFY(QApplication::focusWidget());
            heard.append(QAccessible::queryAccessibleInterface(QApplication::focusWidget())->text(QAccessible::Name));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(heard, stops + stops.mid(0, 1));
    }

    // control: "knob <index>" or "<caption> <index among equal captions>"
    void operatesLikeTheMouse_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("saved");
        QTest::newRow("rk1 gain") << "rk1" << "knob 0" << "Dial/MicValue" << "1";
        QTest::newRow("rk2 MIC2 gain") << "rk2" << "knob 1" << "Dial/Mic2Value" << "1";
        QTest::newRow("rs headphone") << "rs" << "knob 1" << "Dial/HeadphoneValue" << "-79";
        QTest::newRow("rk1 48V") << "rk1" << "48V 0" << "Button/Mic48VIsChecked" << "true";
        QTest::newRow("rk2 MIC2 48V") << "rk2" << "48V 1" << "Button/Mic248VIsChecked" << "true";
        QTest::newRow("rs MUTE") << "rs" << "MUTE 0" << "Button/HeadphoneMuteIsChecked" << "true";
    }
    void operatesLikeTheMouse()
    {
        QFETCH(QString, model);
        QFETCH(QString, control);
        QFETCH(QString, key);
        QFETCH(QString, saved);
        Isolation isolation;
        SimDevice device(model);
        QVERIFY(device.start());
        std::unique_ptr<QWidget> panel = createPanel(model);
        const QStringList words = control.split(' ');
        Knob *knob = words[0] == QLatin1String("knob") ? knobs(panel.get()).value(words[1].toInt()) : nullptr;
        QWidget *widget = knob ? static_cast<QWidget *>(knob) : button(panel.get(), words[0], words[1].toInt());
        QVERIFY(widget);
        // A wheel notch up and back down, or two clicks; then the same first step
        // once more, made through accessibility alone.
        const auto gesture = [&](int notch) {
            if (!knob)
                return QTest::mouseClick(widget, Qt::LeftButton);
            QWheelEvent wheel(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, notch), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(knob, &wheel);
        };
        const int before = device.journal().size();
        gesture(120);
        const QStringList byMouse = requestsFrom(device, before);
        QVERIFY(!byMouse.isEmpty());
        gesture(-120);
        const int again = device.journal().size();
        QAccessibleActionInterface *actions = QAccessible::queryAccessibleInterface(widget)->actionInterface();
        actions->doAction(knob ? QAccessibleActionInterface::increaseAction() : QAccessibleActionInterface::pressAction());
        QCOMPARE(requestsFrom(device, again), byMouse);
        QCOMPARE(QSettings(isolation.appDataDir() + '/' + model + ".ini", QSettings::IniFormat).value(key).toString(),
                 saved);
    }
};

QTEST_MAIN(TestPanelAccessibility)
#include "tst_panelaccessibility.moc"
