#include "button.h"

#include "focusmark.h"

#include <QColor>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGraphicsDropShadowEffect>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTimer>

namespace {

// Longer than the gap between the release and press of one auto-repeat step, which
// some X servers send unflagged, yet short enough that two quick taps stay two.
constexpr int kSpaceGraceMs = 150;

} // namespace

Button::Button(const QString& text, QWidget* parent)
    : QPushButton(parent)
{
    setText(text);
    setCursor(Qt::PointingHandCursor);

    // The owner sets the colours after construction and then calls updateStyle, so
    // the style sheet is left alone here.
    shadow = new QGraphicsDropShadowEffect(this);
    shadow->setBlurRadius(0.01 * width());
    shadow->setOffset(0, 0);
    shadow->setColor(QColor(shadowColor));
    setGraphicsEffect(shadow);
    shadow->setEnabled(false);

    spaceGrace = new QTimer(this);
    spaceGrace->setSingleShot(true);
    spaceGrace->setInterval(kSpaceGraceMs);
    connect(spaceGrace, &QTimer::timeout, this, [this] { spaceHeld = false; });
}

void Button::updateStyle()
{
    const QString& foreground = active ? activeTextColor : textColor;
    const QString& fill = active ? activeBackground : background;
    setStyleSheet(QStringLiteral("QPushButton {   color: %1;   background-color: %2;   "
                                 "border-radius: %3px;}QPushButton:pressed {   "
                                 "background-color: %4;}")
                      .arg(foreground, fill, QString::number(borderRadius), fill));
    shadow->setEnabled(active);
    shadow->setColor(QColor(shadowColor));
}

void Button::setActive(bool on)
{
    active = on;
    shadow->setEnabled(on);
    updateStyle();
    emit pressed(on);
}

// The base handler is skipped on purpose: the button must not enter the down state,
// or Qt's own clicked/released machinery would report the click a second time.
void Button::mousePressEvent(QMouseEvent*)
{
    setActive(!active);
}

// Space is a click, for the same reason without the base handler. A held Space
// does not repeat: a switch such as 48V must not flicker on and off. Qt flags
// repeats from Windows and most X servers, but some X servers send each repeat as
// an unflagged release and press, so the hold is tracked here rather than trusted
// to isAutoRepeat() alone.
void Button::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Space) {
        QPushButton::keyPressEvent(event);
        return;
    }
    const bool continuing = spaceHeld || event->isAutoRepeat();
    spaceHeld = true;
    spaceGrace->stop();
    if (!continuing)
        setActive(!active);
}

void Button::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Space) {
        QPushButton::keyReleaseEvent(event);
        return;
    }
    if (!event->isAutoRepeat())
        spaceGrace->start();
}

// A right click is a click, as any button's is: the window's menu, which a
// right click elsewhere opens, must not open over the switch it just flipped.
// The menu keys still open it from here.
void Button::contextMenuEvent(QContextMenuEvent* event)
{
    if (event->reason() == QContextMenuEvent::Mouse)
        event->accept();
    else
        QPushButton::contextMenuEvent(event);
}

void Button::focusInEvent(QFocusEvent* event)
{
    focusMarked = focusMarkShown(event->reason(), focusMarked);
    QPushButton::focusInEvent(event);
}

// The release may go to whichever widget has the focus by then, so the hold
// cannot wait for it.
void Button::focusOutEvent(QFocusEvent* event)
{
    spaceHeld = false;
    spaceGrace->stop();
    QPushButton::focusOutEvent(event);
}

// The style's own focus frame would show after a click too; the mark replaces
// it: an outline in the accent colour, for keyboard focus only.
void Button::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.state &= ~QStyle::State_HasFocus;
    painter.drawControl(QStyle::CE_PushButton, option);
    if (!(focusMarked && hasFocus()))
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(shadowColor), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), borderRadius, borderRadius);
}
