#include "button.h"
#include "knob.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <QtMath>

#include <climits>

namespace {

const QColor kTrack(255, 0, 0);
const QColor kArc(0, 255, 0);
const QColor kText(0, 255, 127);

// 120x120 with the default arc width: the arcs run on a circle of radius 53 around (60, 60).
void configure(Knob& knob, int minimum, int maximum, int value, int offset = 0)
{
    knob.setFixedSize(120, 120);
    knob.minimum = minimum;
    knob.maximum = maximum;
    knob.value = value;
    knob.displayOffset = offset;
    knob.trackColor = kTrack;
    knob.arcColor = kArc;
    knob.textColor = kText;
}

QImage rendered(Knob& knob)
{
    QImage image(knob.size(), QImage::Format_ARGB32);
    image.fill(Qt::black);
    knob.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

bool near(QColor a, QColor b)
{
    return qAbs(a.red() - b.red()) < 40 && qAbs(a.green() - b.green()) < 40
           && qAbs(a.blue() - b.blue()) < 40;
}

// degreesAlong counts clockwise from the start of the track at the lower left.
QColor arcPixel(const QImage& image, double degreesAlong)
{
    const double angle = qDegreesToRadians(225.0 - degreesAlong);
    return image.pixelColor(qRound(60 + 53 * qCos(angle)), qRound(60 - 53 * qSin(angle)));
}

void sendMove(Knob& knob, QPoint pos, Qt::MouseButtons buttons = Qt::LeftButton)
{
    QMouseEvent event(QEvent::MouseMove, pos, knob.mapToGlobal(pos), Qt::NoButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(&knob, &event);
}

void sendWheel(Knob& knob, QPoint angleDelta)
{
    const QPointF pos(60, 60);
    QWheelEvent event(pos, knob.mapToGlobal(pos), QPoint(), angleDelta, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&knob, &event);
}

} // namespace

class TestKnob : public QObject
{
    Q_OBJECT

private slots:
    void defaults()
    {
        Knob knob;
        QCOMPARE(knob.value, -80);
        QCOMPARE(knob.arcWidth, 7);
        QVERIFY(knob.roundCap);
        QCOMPARE(knob.maximum, 6);
        QCOMPARE(knob.minimum, -80);
        QCOMPARE(knob.arcColor, QColor("#00ffff"));
        QVERIFY(knob.valueVisible);
        QCOMPARE(knob.fontFamily, QString("Segoe UI"));
        QCOMPARE(knob.fontSize, 12);
        QCOMPARE(knob.suffix, QString("dB"));
        QCOMPARE(knob.textColor, QColor("#ff79c6"));
        QVERIFY(knob.trackVisible);
        QCOMPARE(knob.trackColor, QColor("#44475a"));
        QCOMPARE(knob.faceScale, 0.8);
        QCOMPARE(knob.displayOffset, 0);
        QVERIFY(knob.editBox()->isHidden());
        QVERIFY(knob.valueTextRect().isNull());
    }

    void setValue_data()
    {
        QTest::addColumn<int>("requested");
        QTest::addColumn<int>("expected");
        QTest::newRow("inside") << -12 << -12;
        QTest::newRow("unchanged still emits") << -80 << -80;
        QTest::newRow("above maximum") << 7 << 6;
        QTest::newRow("below minimum") << -81 << -80;
        QTest::newRow("INT_MAX") << INT_MAX << 6;
        QTest::newRow("INT_MIN") << INT_MIN << -80;
    }
    void setValue()
    {
        QFETCH(int, requested);
        QFETCH(int, expected);
        Knob knob;
        QSignalSpy spy(&knob, &Knob::valueChangedSig);
        knob.setValue(requested);
        QCOMPARE(knob.value, expected);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), expected);
    }

    void wheel_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QPoint>("delta");
        QTest::addColumn<int>("expected");
        QTest::newRow("up") << 0 << QPoint(0, 120) << 1;
        QTest::newRow("up at maximum still emits") << 6 << QPoint(0, 120) << 6;
        QTest::newRow("down") << 0 << QPoint(0, -120) << -1;
        QTest::newRow("down at minimum still emits") << -80 << QPoint(0, -120) << -80;
        QTest::newRow("purely horizontal lowers") << 0 << QPoint(120, 0) << -1;
        QTest::newRow("large delta is one step") << 0 << QPoint(0, 960) << 1;
        QTest::newRow("tiny delta is one step") << 0 << QPoint(0, 1) << 1;
    }
    void wheel()
    {
        QFETCH(int, start);
        QFETCH(QPoint, delta);
        QFETCH(int, expected);
        Knob knob;
        knob.value = start;
        QSignalSpy spy(&knob, &Knob::valueChangedSig);
        sendWheel(knob, delta);
        QCOMPARE(knob.value, expected);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), expected);
    }

    void reset_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<bool>("onHiddenText");
        QTest::addColumn<bool>("resets");
        const Qt::KeyboardModifiers none;
        const Qt::KeyboardModifiers control(Qt::ControlModifier);
        QTest::newRow("control+left click") << Qt::LeftButton << control << false << false << true;
        QTest::newRow("control+shift+right click") << Qt::RightButton << (control | Qt::ShiftModifier) << false << false << true;
        QTest::newRow("plain click does nothing") << Qt::LeftButton << none << false << false << false;
        QTest::newRow("double-click off the text") << Qt::LeftButton << none << true << false << true;
        QTest::newRow("right double-click off the text") << Qt::RightButton << none << true << false << true;
        QTest::newRow("double-click on hidden text") << Qt::LeftButton << none << true << true << true;
    }
    void reset()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, doubleClick);
        QFETCH(bool, onHiddenText);
        QFETCH(bool, resets);
        Knob knob;
        configure(knob, -80, 6, 3);
        rendered(knob);
        QPoint pos(4, 4);
        QVERIFY(!knob.valueTextRect().contains(pos));
        if (onHiddenText) {
            knob.valueVisible = false;
            pos = knob.valueTextRect().center();
        }
        QSignalSpy spy(&knob, &Knob::valueChangedSig);
        if (doubleClick)
            QTest::mouseDClick(&knob, button, modifiers, pos);
        else
            QTest::mouseClick(&knob, button, modifiers, pos);
        QCOMPARE(knob.value, resets ? -80 : 3);
        QCOMPARE(spy.count(), resets ? 1 : 0);
        if (resets)
            QCOMPARE(spy.at(0).at(0).toInt(), -80);
        QVERIFY(knob.editBox()->isHidden());
    }

    void drag_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QList<QPoint>>("moves");
        QTest::addColumn<Qt::MouseButtons>("buttons");
        QTest::addColumn<int>("expected");
        const Qt::MouseButtons left = Qt::LeftButton;
        const QPoint from(50, 50);
        QTest::newRow("first move compares with the origin") << 0 << QList<QPoint>{{10, -5}} << left << 2;
        QTest::newRow("up-right raises by 2") << 0 << QList<QPoint>{from, {60, 40}} << left << 2;
        QTest::newRow("down-left lowers by 2") << 0 << QList<QPoint>{from, {40, 60}} << left << -2;
        QTest::newRow("up-left leaves it") << 0 << QList<QPoint>{from, {40, 40}} << left << 0;
        QTest::newRow("down-right leaves it") << 0 << QList<QPoint>{from, {60, 60}} << left << 0;
        QTest::newRow("distance does not count") << 0 << QList<QPoint>{from, {50, 0}} << left << 1;
        QTest::newRow("up-right at maximum") << 6 << QList<QPoint>{from, {60, 40}} << left << 6;
        QTest::newRow("up-left at maximum lowers") << 6 << QList<QPoint>{from, {40, 40}} << left << 5;
        QTest::newRow("down-left at minimum") << -80 << QList<QPoint>{from, {40, 60}} << left << -80;
        QTest::newRow("left and right held") << 0 << QList<QPoint>{from, {60, 40}} << (Qt::LeftButton | Qt::RightButton) << 2;
        QTest::newRow("no button ignored") << 0 << QList<QPoint>{from, {60, 40}} << Qt::MouseButtons() << 0;
        QTest::newRow("right button ignored") << 0 << QList<QPoint>{from, {60, 40}} << Qt::MouseButtons(Qt::RightButton) << 0;
    }
    void drag()
    {
        QFETCH(int, start);
        QFETCH(QList<QPoint>, moves);
        QFETCH(Qt::MouseButtons, buttons);
        QFETCH(int, expected);
        Knob knob;
        knob.value = start;
        QSignalSpy spy(&knob, &Knob::valueChangedSig);
        for (const QPoint& pos : moves)
            sendMove(knob, pos, buttons);
        QCOMPARE(knob.value, expected);
        QCOMPARE(spy.count(), buttons & Qt::LeftButton ? moves.size() : 0);
        if (!spy.isEmpty())
            QCOMPARE(spy.last().at(0).toInt(), expected);
    }

    void dragContinuesFromPreviousDrag()
    {
        Knob knob;
        knob.value = 0;
        sendMove(knob, {50, 50});
        QTest::mouseRelease(&knob, Qt::LeftButton, {}, {50, 50});
        QTest::mousePress(&knob, Qt::LeftButton, {}, {70, 30});
        QCOMPARE(knob.value, 0);
        // Up and right of the last move (50, 50), though down and left of the press.
        sendMove(knob, {60, 40});
        QCOMPARE(knob.value, 2);
    }

    void typedEntry_data()
    {
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("expected");
        QTest::newRow("30dB with offset 9") << 0 << 56 << 9 << 0 << "30dB" << 21;
        QTest::newRow("5 with offset 9 is bounded") << 0 << 56 << 9 << 10 << "5" << 0;
        QTest::newRow("abc keeps") << 0 << 56 << 9 << 10 << "abc" << 10;
        QTest::newRow("12dB") << 0 << 56 << 0 << 3 << "12dB" << 12;
        QTest::newRow("12db keeps, suffix is case-sensitive") << 0 << 56 << 0 << 3 << "12db" << 3;
        QTest::newRow("suffix alone keeps") << 0 << 56 << 0 << 3 << "dB" << 3;
        QTest::newRow("negative offset") << -80 << 6 << -3 << 0 << "-50" << -47;
        QTest::newRow("INT_MAX, offset 9") << 0 << 56 << 9 << 10 << "2147483647" << 56;
        QTest::newRow("INT_MIN, offset 9") << 0 << 56 << 9 << 10 << "-2147483648" << 0;
        QTest::newRow("INT_MAX, offset -9") << 0 << 56 << -9 << 10 << "2147483647" << 56;
        QTest::newRow("64-bit max, offset -9") << 0 << 56 << -9 << 10 << "9223372036854775807dB" << 56;
        QTest::newRow("64-bit min, offset 9") << 0 << 56 << 9 << 10 << "-9223372036854775808" << 0;
        QTest::newRow("beyond 64 bits keeps") << 0 << 56 << 9 << 10 << "99999999999999999999" << 10;
        QTest::newRow("below 64 bits keeps") << 0 << 56 << 9 << 10 << "-99999999999999999999" << 10;
        QTest::newRow("full range, INT_MIN, offset 9") << INT_MIN << INT_MAX << 9 << 0 << "-2147483648" << INT_MIN;
        QTest::newRow("full range, INT_MAX, offset 9") << INT_MIN << INT_MAX << 9 << 0 << "2147483647" << INT_MAX - 9;
        QTest::newRow("full range, INT_MAX, offset -9") << INT_MIN << INT_MAX << -9 << 0 << "2147483647" << INT_MAX;
    }
    void typedEntry()
    {
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, offset);
        QFETCH(int, start);
        QFETCH(QString, typed);
        QFETCH(int, expected);
        Knob knob;
        configure(knob, minimum, maximum, start, offset);
        rendered(knob);
        const QRect textRect = knob.valueTextRect();
        QSignalSpy spy(&knob, &Knob::valueChangedSig);

        QTest::mouseDClick(&knob, Qt::LeftButton, {}, textRect.center());
        QLineEdit* edit = knob.editBox();
        QVERIFY(!edit->isHidden());
        QCOMPARE(edit->text(), QString::number(start + offset));
        QCOMPARE(edit->selectedText(), edit->text());
        const int dx = int(textRect.width() * 0.025);
        const int dy = int(textRect.height() * 0.025);
        QCOMPARE(edit->geometry(), textRect.adjusted(dx, dy, -dx, -dy));
        QCOMPARE(knob.value, start);
        QCOMPARE(spy.count(), 0);

        edit->setText(typed);
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(edit->isHidden());
        QCOMPARE(knob.value, expected);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), expected);
    }

    void arc_data()
    {
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");
        QTest::addColumn<double>("covered");
        QTest::newRow("minimum: no value arc") << -80 << 6 << -80 << 0.0;
        QTest::newRow("maximum: the whole track") << -80 << 6 << 6 << 270.0;
        QTest::newRow("half") << 0 << 56 << 28 << 135.0;
        QTest::newRow("a quarter") << 0 << 4 << 1 << 67.5;
        QTest::newRow("empty range") << 5 << 5 << 5 << 0.0;
    }
    void arc()
    {
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, value);
        QFETCH(double, covered);
        Knob knob;
        configure(knob, minimum, maximum, value);
        const QImage image = rendered(knob);
        // Keep clear of the round caps at the ends of each arc.
        const double margin = 8;
        for (double along = 0; along <= 270; along += 5) {
            const QColor pixel = arcPixel(image, along);
            if (along < covered - margin)
                QVERIFY2(near(pixel, kArc), qPrintable(QString::number(along)));
            else if (along > covered + margin)
                QVERIFY2(near(pixel, kTrack), qPrintable(QString::number(along)));
        }
        for (double gap = 270 + 2 * margin; gap <= 360 - 2 * margin; gap += 5)
            QVERIFY2(near(arcPixel(image, gap), Qt::black), qPrintable(QString::number(gap)));
    }

    // On a knob from -80 to 6 (a volume knob: End turned off), or a switch (0 off, 1 on):
    // the value after one key press, and how many requests it made.
    void keys_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("repeat");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("requests");
        QTest::newRow("Up") << "knob" << 0 << int(Qt::Key_Up) << false << 1 << 1;
        QTest::newRow("Right") << "knob" << 0 << int(Qt::Key_Right) << false << 1 << 1;
        QTest::newRow("Down") << "knob" << 0 << int(Qt::Key_Down) << false << -1 << 1;
        QTest::newRow("Left") << "knob" << 0 << int(Qt::Key_Left) << false << -1 << 1;
        QTest::newRow("Up held: one request per repeat") << "knob" << 0 << int(Qt::Key_Up) << true << 1 << 1;
        QTest::newRow("Page Up") << "knob" << -20 << int(Qt::Key_PageUp) << false << -14 << 1;
        QTest::newRow("Page Up bounded") << "knob" << 3 << int(Qt::Key_PageUp) << false << 6 << 1;
        QTest::newRow("Page Down bounded") << "knob" << -77 << int(Qt::Key_PageDown) << false << -80 << 1;
        QTest::newRow("Home") << "knob" << 0 << int(Qt::Key_Home) << false << -80 << 1;
        QTest::newRow("End") << "knob" << 0 << int(Qt::Key_End) << false << 6 << 1;
        QTest::newRow("End refused on a volume knob") << "volume knob" << 0 << int(Qt::Key_End) << false << 0 << 0;
        QTest::newRow("Enter opens the box") << "knob" << 0 << int(Qt::Key_Return) << false << 0 << 0;
        QTest::newRow("F2 opens the box") << "knob" << 0 << int(Qt::Key_F2) << false << 0 << 0;
        QTest::newRow("Space switches on") << "button" << 0 << int(Qt::Key_Space) << false << 1 << 1;
        QTest::newRow("Space held does not repeat") << "button" << 0 << int(Qt::Key_Space) << true << 0 << 0;
    }
    void keys()
    {
        QFETCH(QString, control);
        QFETCH(int, start);
        QFETCH(int, key);
        QFETCH(bool, repeat);
        QFETCH(int, value);
        QFETCH(int, requests);
        Knob knob;
        configure(knob, -80, 6, start);
        knob.endReachesMaximum = control != QLatin1String("volume knob");
        Button button(QStringLiteral("48V"));
        button.active = start;
        QWidget* target = control == QLatin1String("button") ? static_cast<QWidget*>(&button) : &knob;
        QSignalSpy knobSpy(&knob, &Knob::valueChangedSig);
        QSignalSpy buttonSpy(&button, &Button::pressed);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(), repeat);
        QApplication::sendEvent(target, &press);
        QCOMPARE(target == &knob ? knob.value : int(button.active), value);
        QCOMPARE(knobSpy.count() + buttonSpy.count(), requests);
        QCOMPARE(!knob.editBox()->isHidden(), key == Qt::Key_Return || key == Qt::Key_F2);
    }

    // Focus from another control by Tab or Shift+Tab, or by a click: does the
    // focused control look different from the same control unfocused?
    void focusMark_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<bool>("marked");
        QTest::newRow("knob, Tab") << "knob" << "Tab" << true;
        QTest::newRow("knob, click") << "knob" << "click" << false;
        QTest::newRow("button, Shift+Tab") << "button" << "Backtab" << true;
        QTest::newRow("button, click") << "button" << "click" << false;
    }
    void focusMark()
    {
        QFETCH(QString, control);
        QFETCH(QString, gesture);
        QFETCH(bool, marked);
        // Keyboard focus needs an active window, which the minimal platform under
        // wine never gives; a shown popup counts as active without the platform.
        QWidget window(nullptr, Qt::Popup);
        auto* other = new Button(QStringLiteral("other"), &window);
        QWidget* target = control == QLatin1String("knob") ? static_cast<QWidget*>(new Knob(&window))
                                                           : new Button(QStringLiteral("48V"), &window);
        target->setGeometry(0, 40, 120, 120);
        window.show();
        other->setFocus(Qt::OtherFocusReason);
        if (gesture == QLatin1String("click"))
            QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(10, 10));
        else
            QTest::keyClick(other, Qt::Key_Tab, gesture == QLatin1String("Tab") ? Qt::NoModifier : Qt::ShiftModifier);
        QVERIFY(target->hasFocus());
        const QImage focused = target->grab().toImage();
        other->setFocus(Qt::OtherFocusReason);
        QCOMPARE(target->grab().toImage() != focused, marked);
    }

    void emptyRangeKeepsWorking()
    {
        Knob knob;
        configure(knob, 5, 5, 5);
        QSignalSpy spy(&knob, &Knob::valueChangedSig);
        sendWheel(knob, {0, 120});
        sendWheel(knob, {0, -120});
        sendMove(knob, {10, -5});
        knob.setValue(9);
        QCOMPARE(spy.count(), 4);
        for (const QList<QVariant>& emission : spy)
            QCOMPARE(emission.at(0).toInt(), 5);
        rendered(knob);
        QVERIFY(!knob.valueTextRect().isEmpty());
    }

    void text_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero ignores the offset") << 9 << 0 << "0dB";
        QTest::newRow("offset added") << 9 << 1 << "10dB";
        QTest::newRow("negative offset") << -3 << 5 << "2dB";
        QTest::newRow("negative value") << 0 << -80 << "-80dB";
    }
    void text()
    {
        QFETCH(int, offset);
        QFETCH(int, value);
        QFETCH(QString, text);
        Knob knob;
        configure(knob, -80, 56, value, offset);
        const QImage image = rendered(knob);
        const QRect expected = QFontMetrics(QFont(knob.fontFamily, knob.fontSize), &knob)
                                   .boundingRect(QRect(0, 0, 120, 120), Qt::AlignCenter, text);
        QCOMPARE(knob.valueTextRect(), expected);

        // The same text without an offset must look the same, glyph for glyph.
        Knob reference;
        configure(reference, -80, 56, text.chopped(2).toInt());
        const QImage referenceImage = rendered(reference);
        QCOMPARE(image.copy(expected), referenceImage.copy(expected));

        int textPixels = 0;
        for (int y = expected.top(); y <= expected.bottom(); ++y)
            for (int x = expected.left(); x <= expected.right(); ++x)
                textPixels += near(image.pixelColor(x, y), kText);
        QVERIFY(textPixels > 0);
    }
};

QTEST_MAIN(TestKnob)
#include "tst_knob.moc"
