#include "button.h"

#include <QColor>
#include <QGraphicsDropShadowEffect>

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
    active = !active;
    shadow->setEnabled(active);
    updateStyle();
    emit pressed(active);
}
