#include "knob.h"

#include "focusmark.h"

#include <QConicalGradient>
#include <QFocusEvent>
#include <QFont>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QRadialGradient>
#include <QSignalBlocker>
#include <QWheelEvent>

#include <algorithm>

namespace {

// The track runs clockwise from the lower left over the top to the lower right.
constexpr int kArcStart = 225 * 16;
constexpr int kArcSweep = -270 * 16;
// Page Up and Page Down move this many steps.
constexpr int kPageSteps = 6;
// The ceiling's notch, in sixteenths of a degree.
constexpr int kCeilingNotch = 4 * 16;

} // namespace

Knob::Knob(QWidget* parent)
    : QWidget(parent)
    , edit(new QLineEdit(this))
{
    setFocusPolicy(Qt::StrongFocus);
    edit->hide();
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::editingFinished, this, &Knob::finishEdit);
}

void Knob::setValue(int v)
{
    value = v;
    commit();
}

int Knob::bounded(int v) const
{
    return std::max(std::min(v, top()), minimum);
}

// In 64 bits, so that a step past the end of a full int range stays defined.
void Knob::stepBy(int steps)
{
    setValue(int(std::max(std::min(qlonglong(value) + steps, qlonglong(top())), qlonglong(minimum))));
}

// Every gesture ends here: the emission is unconditional on purpose, see the class comment.
void Knob::commit()
{
    value = bounded(value);
    emit valueChangedSig(value);
    update();
}

void Knob::finishEdit()
{
    QString text = edit->text();
    if (text.endsWith(suffix))
        text.chop(suffix.size());

    // Typed text can name any number, so bound it in 64 bits before taking the offset
    // off: the difference then always lies within minimum..maximum and fits an int.
    bool ok = false;
    const qlonglong number = text.toLongLong(&ok);
    if (ok) {
        const qlonglong lowest = qlonglong(minimum) + displayOffset;
        const qlonglong highest = qlonglong(maximum) + displayOffset;
        value = int(std::max(std::min(number, highest), lowest) - displayOffset);
    }

    closeEditBox();
    commit();
}

void Knob::openEditBox()
{
    edit->setText(QString::number(qlonglong(value) + displayOffset));
    const int dx = int(textRect.width() * 0.025);
    const int dy = int(textRect.height() * 0.025);
    edit->setGeometry(textRect.adjusted(dx, dy, -dx, -dy));
    edit->show();
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

// A keyboard user stays on the knob. The box would report losing the focus as
// a finished edit, so it is silenced while the focus moves back.
void Knob::closeEditBox()
{
    const QSignalBlocker quiet(edit);
    if (edit->hasFocus())
        setFocus(Qt::OtherFocusReason);
    edit->hide();
}

// Enter and Return are taken here: the box would pass them on to the knob,
// which would open it again. Escape closes it and keeps the value.
bool Knob::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != edit || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        finishEdit();
        return true;
    case Qt::Key_Escape:
        closeEditBox();
        return true;
    default:
        return false;
    }
}

// Each press, and each repeat of a held key, is one setValue: one request.
void Knob::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Right:
        stepBy(1);
        break;
    case Qt::Key_Down:
    case Qt::Key_Left:
        stepBy(-1);
        break;
    case Qt::Key_PageUp:
        stepBy(kPageSteps);
        break;
    case Qt::Key_PageDown:
        stepBy(-kPageSteps);
        break;
    case Qt::Key_Home:
        setValue(minimum);
        break;
    case Qt::Key_End:
        if (endReachesMaximum)
            setValue(maximum);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F2:
        if (valueVisible)
            openEditBox();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void Knob::focusInEvent(QFocusEvent* event)
{
    focusMarked = focusMarkShown(event->reason(), focusMarked);
    QWidget::focusInEvent(event);
}

void Knob::mousePressEvent(QMouseEvent* event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        value = minimum;
        commit();
    }
}

void Knob::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (valueVisible && textRect.contains(event->position().toPoint())) {
        openEditBox();
        return;
    }
    value = minimum;
    commit();
}

// Only the direction against the previous move counts, one step per axis, so a slow
// and a fast drag feel the same. lastX/lastY survive between drags on purpose.
void Knob::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;

    const QPoint pos = event->position().toPoint();
    if (pos.y() < lastY && value < top())
        ++value;
    else if (pos.y() > lastY && value > minimum)
        --value;

    if (pos.x() > lastX && value < top())
        ++value;
    else if (pos.x() < lastX && value > minimum)
        --value;

    lastY = pos.y();
    lastX = pos.x();
    commit();
}

void Knob::wheelEvent(QWheelEvent* event)
{
    if (event->angleDelta().y() > 0) {
        if (value < top())
            ++value;
    } else if (value > minimum) {
        --value;
    }
    commit();
}

// In sixteenths of a degree. An empty range has nothing to show, and dividing by it
// would be undefined, so it draws an empty arc.
int Knob::valueSpan() const
{
    return spanTo(value);
}

int Knob::spanTo(int v) const
{
    if (maximum == minimum)
        return 0;
    // Multiplied before dividing, so that the truncation lands where the
    // degrees say: 13 of 0..45 is -1248, not the -1247 of a rounded fraction.
    const double degrees = (double(v) - minimum) * 270.0 / (double(maximum) - minimum);
    return int(degrees * -16);
}

// A knob at 0 reads 0 whatever the offset, so a gain knob at rest (0..56, offset 9)
// shows 0dB rather than 9dB.
qlonglong Knob::shownNumber(int v) const
{
    return v == 0 ? 0 : qlonglong(v) + displayOffset;
}

QString Knob::valueText() const
{
    return QString::number(shownNumber(value)) + suffix;
}

void Knob::paintEvent(QPaintEvent*)
{
    const int w = width();
    const int h = height();
    const int a = arcWidth;
    const int wi = w - 2 * a;
    const int hi = h - 2 * a;
    const double s = faceScale;

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(QFont(fontFamily, fontSize));

    QPen pen;
    pen.setWidth(a);
    if (roundCap)
        pen.setCapStyle(Qt::RoundCap);

    const QRect arcBox(a, a, wi, hi);
    if (trackVisible) {
        pen.setColor(trackColor);
        painter.setPen(pen);
        painter.drawArc(arcBox, kArcStart, kArcSweep);
    }

    QConicalGradient arcGradient(w / 2, h / 2, 270);
    arcGradient.setColorAt(0, arcColor);
    arcGradient.setColorAt(1, arcColor);
    pen.setBrush(arcGradient);
    painter.setPen(pen);
    painter.drawArc(arcBox, kArcStart, valueSpan());

    // The ceiling: a notch across the track, in a colour no arc uses.
    if (ceiling && *ceiling < maximum) {
        QPen notch(QColor(QStringLiteral("#ff5555")), a + 4);
        notch.setCapStyle(Qt::FlatCap);
        painter.setPen(notch);
        painter.drawArc(arcBox, kArcStart + spanTo(top()) + kCeilingNotch / 2, -kCeilingNotch);
    }

    // Both discs are lit from the top-left corner and sized from the width alone; the
    // shadow peeks out 2 per cent of the face's diameter to the lower right.
    const int faceSize = int(s * wi);
    pen.setWidth(0);

    QRadialGradient shadowGradient(QPointF(0, 0), 0.6 * wi);
    shadowGradient.setColorAt(0, QColor(255, 255, 255));
    shadowGradient.setColorAt(1, QColor(20, 20, 20));
    pen.setBrush(shadowGradient);
    painter.setPen(pen);
    painter.setBrush(shadowGradient);
    const int shadowPos = a + int((1 - s) * wi * 0.5 + s * wi * 0.02);
    painter.drawEllipse(shadowPos, shadowPos, faceSize, faceSize);

    QRadialGradient faceGradient(QPointF(0, 0), 0.5 * wi);
    faceGradient.setColorAt(0, QColor(255, 255, 255));
    faceGradient.setColorAt(1, QColor(30, 30, 30));
    pen.setBrush(faceGradient);
    painter.setPen(pen);
    painter.setBrush(faceGradient);
    const int facePos = a + int((1 - s) * wi * 0.5);
    painter.drawEllipse(facePos, facePos, faceSize, faceSize);

    // A thin ring in the arc's colour, in the gap between the face and the track.
    if (focusMarked && hasFocus()) {
        painter.setPen(QPen(arcColor, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(facePos - 3, facePos - 3, faceSize + 6, faceSize + 6);
    }

    if (valueVisible) {
        pen.setColor(textColor);
        painter.setPen(pen);
        const QString text = valueText();
        textRect = painter.fontMetrics().boundingRect(QRect(0, 0, w, h), Qt::AlignCenter, text);
        painter.drawText(textRect, Qt::AlignCenter, text);
    }
}
