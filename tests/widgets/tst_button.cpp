#include "button.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGraphicsDropShadowEffect>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

QString styleFor(const QString& color, const QString& background, int radius)
{
    return QStringLiteral("QPushButton {   color: %1;   background-color: %2;   border-radius: %3px;}"
                          "QPushButton:pressed {   background-color: %2;}")
        .arg(color, background, QString::number(radius));
}

} // namespace

class TestButton : public QObject
{
    Q_OBJECT

private slots:
    // The default colours are checked through the style sheet they produce, below.
    void construction()
    {
        QWidget parent;
        Button button(QStringLiteral("48V"), &parent);
        QCOMPARE(button.parent(), &parent);
        QCOMPARE(button.text(), QString("48V"));
        QCOMPARE(button.cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(!button.active);
        QVERIFY(button.styleSheet().isEmpty());
        QCOMPARE(button.graphicsEffect(), button.shadow);
        QCOMPARE(button.shadow->parent(), &button);
        QVERIFY(!button.shadow->isEnabled());
        QCOMPARE(button.shadow->offset(), QPointF(0, 0));
        QCOMPARE(button.shadow->blurRadius(), 0.01 * button.width());
        QCOMPARE(button.shadow->color(), QColor("#00ff7f"));
    }

    void clicks_data()
    {
        QTest::addColumn<Qt::MouseButton>("mouseButton");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("left") << Qt::LeftButton << Qt::KeyboardModifiers();
        QTest::newRow("right") << Qt::RightButton << Qt::KeyboardModifiers();
        QTest::newRow("control+middle") << Qt::MiddleButton << Qt::KeyboardModifiers(Qt::ControlModifier);
    }
    void clicks()
    {
        QFETCH(Qt::MouseButton, mouseButton);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        Button button(QStringLiteral("PAD"));
        button.updateStyle();
        QSignalSpy spy(&button, &Button::pressed);
        QSignalSpy clicked(&button, &QAbstractButton::clicked);
        QSignalSpy released(&button, &QAbstractButton::released);
        for (const bool expected : {true, false, true}) {
            QTest::mouseClick(&button, mouseButton, modifiers);
            QCOMPARE(button.active, expected);
            QCOMPARE(button.shadow->isEnabled(), expected);
            QCOMPARE(button.styleSheet(), expected ? styleFor("#000000", "#00ff7f", 3)
                                                   : styleFor("#00ff7f", "#1b1e23", 3));
            QCOMPARE(spy.count(), 1);
            QCOMPARE(spy.takeFirst().at(0).toBool(), expected);
            QVERIFY(!button.isDown());
        }
        QCOMPARE(clicked.count(), 0);
        QCOMPARE(released.count(), 0);
    }

    // Space as a held key may arrive: P a press, R a release, lower case the same
    // flagged as auto-repeat; ~ waits out the grace after a release, F takes the focus away.
    void space_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("toggles");
        QTest::newRow("repeats flagged") << "PprprpR" << 1;
        QTest::newRow("repeats as unflagged release and press") << "PRPRPRPR" << 1;
        QTest::newRow("tap, tap") << "PR~PR" << 2;
        QTest::newRow("focus lost while held") << "PFPR" << 2;
    }
    void space()
    {
        QFETCH(QString, keys);
        QFETCH(int, toggles);
        Button button(QStringLiteral("48V"));
        auto* grace = button.findChild<QTimer*>();
        QVERIFY(grace);
        QSignalSpy spy(&button, &Button::pressed);
        for (const QChar step : keys) {
            if (step == u'~') {
                QSignalSpy over(grace, &QTimer::timeout);
                QVERIFY(over.wait());
            } else if (step == u'F') {
                QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
                QApplication::sendEvent(&button, &out);
            } else {
                QKeyEvent key(step.toUpper() == u'P' ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Space,
                              Qt::NoModifier, QStringLiteral(" "), step.isLower());
                QApplication::sendEvent(&button, &key);
            }
        }
        QCOMPARE(spy.count(), toggles);
        QCOMPARE(button.active, toggles % 2 == 1);
    }

    void setActive_data()
    {
        QTest::addColumn<bool>("from");
        QTest::addColumn<bool>("to");
        QTest::newRow("off to on") << false << true;
        QTest::newRow("on to off") << true << false;
        QTest::newRow("on again") << true << true;
        QTest::newRow("off again") << false << false;
    }
    void setActive()
    {
        QFETCH(bool, from);
        QFETCH(bool, to);
        Button button(QStringLiteral("MUTE"));
        button.setActive(from);
        QSignalSpy spy(&button, &Button::pressed);
        button.setActive(to);
        QCOMPARE(button.active, to);
        QCOMPARE(button.shadow->isEnabled(), to);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toBool(), to);
    }

    void style_data()
    {
        QTest::addColumn<bool>("panelColours");
        QTest::addColumn<bool>("active");
        QTest::addColumn<QString>("style");
        QTest::addColumn<QColor>("glow");
        QTest::newRow("defaults, off") << false << false << styleFor("#00ff7f", "#1b1e23", 3) << QColor("#00ff7f");
        QTest::newRow("defaults, on") << false << true << styleFor("#000000", "#00ff7f", 3) << QColor("#00ff7f");
        QTest::newRow("panel, off") << true << false << styleFor("#8a95aa", "#1b1e23", 5) << QColor("#ff7f00");
        QTest::newRow("panel, on") << true << true << styleFor("#ff7f00", "#101010", 5) << QColor("#ff7f00");
    }
    void style()
    {
        QFETCH(bool, panelColours);
        QFETCH(bool, active);
        QFETCH(QString, style);
        QFETCH(QColor, glow);
        Button button(QStringLiteral("DIM"));
        if (panelColours) {
            button.activeTextColor = QStringLiteral("#ff7f00");
            button.shadowColor = QStringLiteral("#ff7f00");
            button.textColor = QStringLiteral("#8a95aa");
            button.activeBackground = QStringLiteral("#101010");
            button.borderRadius = 5;
        }
        button.active = active;
        button.updateStyle();
        QCOMPARE(button.styleSheet(), style);
        QCOMPARE(button.shadow->isEnabled(), active);
        QCOMPARE(button.shadow->color(), glow);
    }
};

QTEST_MAIN(TestButton)
#include "tst_button.moc"
