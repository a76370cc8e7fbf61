#include "accessibleknob.h"

#include "knob.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

AccessibleKnob::AccessibleKnob(Knob *knob)
    : QAccessibleWidget(knob, QAccessible::SpinBox)
{
    // Tied to this interface, not to the knob: Qt may drop and remake an interface.
    announcement = QObject::connect(knob, &Knob::valueChangedSig, knob, [this, knob] {
        QAccessibleValueChangeEvent event(knob, currentValue());
        QAccessible::updateAccessibility(&event);
    });
}

AccessibleKnob::~AccessibleKnob()
{
    QObject::disconnect(announcement);
}

Knob *AccessibleKnob::knob() const
{
    return static_cast<Knob *>(widget());
}

void *AccessibleKnob::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface *>(this);
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

// The value with a blank before its unit, so that "39 dB" is read as a number and a unit.
QString AccessibleKnob::valueText() const
{
    return QString::number(knob()->shownNumber(knob()->value)) + ' ' + knob()->suffix;
}

QString AccessibleKnob::text(QAccessible::Text type) const
{
    if (type == QAccessible::Value)
        return valueText();
    // A screen reader user hears why the knob stops where it does.
    if (type == QAccessible::Description && knob()->ceiling)
        return QStringList {QAccessibleWidget::text(type),
                            QCoreApplication::translate("Knob", "Limited to %1 %2.")
                                .arg(knob()->shownNumber(knob()->top()))
                                .arg(knob()->suffix)}
            .join(QLatin1Char(' '))
            .trimmed();
    return QAccessibleWidget::text(type);
}

QString AccessibleKnob::text(int startOffset, int endOffset) const
{
    return valueText().mid(startOffset, endOffset - startOffset);
}

int AccessibleKnob::characterCount() const
{
    return int(valueText().size());
}

void AccessibleKnob::selection(int, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
}

int AccessibleKnob::selectionCount() const
{
    return 0;
}

void AccessibleKnob::addSelection(int, int) {}

void AccessibleKnob::removeSelection(int) {}

void AccessibleKnob::setSelection(int, int, int) {}

int AccessibleKnob::cursorPosition() const
{
    return 0;
}

void AccessibleKnob::setCursorPosition(int) {}

// Where the number is drawn: a reader's highlight lands on the face's text.
QRect AccessibleKnob::characterRect(int) const
{
    return QRect(knob()->mapToGlobal(knob()->valueTextRect().topLeft()), knob()->valueTextRect().size());
}

int AccessibleKnob::offsetAtPoint(const QPoint &) const
{
    return -1;
}

void AccessibleKnob::scrollToSubstring(int, int) {}

QString AccessibleKnob::attributes(int, int *startOffset, int *endOffset) const
{
    *startOffset = 0;
    *endOffset = characterCount();
    return QString();
}

QStringList AccessibleKnob::actionNames() const
{
    return QStringList {increaseAction(), decreaseAction()} + QAccessibleWidget::actionNames();
}

// One step, as one wheel notch makes it, and reported the same way at a bound.
void AccessibleKnob::doAction(const QString &actionName)
{
    Knob *control = knob();
    if (actionName == increaseAction())
        control->setValue(control->value < control->maximum ? control->value + 1 : control->value);
    else if (actionName == decreaseAction())
        control->setValue(control->value > control->minimum ? control->value - 1 : control->value);
    else
        QAccessibleWidget::doAction(actionName);
}

QVariant AccessibleKnob::currentValue() const
{
    return knob()->shownNumber(knob()->value);
}

// As a typed value: the offset comes off, and anything outside the face's range
// lands on its nearest end. What is no number at all changes nothing.
void AccessibleKnob::setCurrentValue(const QVariant &value)
{
    bool ok = false;
    const double wanted = value.toDouble(&ok);
    if (!ok || std::isnan(wanted))
        return;
    Knob *control = knob();
    const double lowest = double(control->minimum) + control->displayOffset;
    const double highest = double(control->maximum) + control->displayOffset;
    control->setValue(int(std::llround(std::clamp(wanted, lowest, highest)) - control->displayOffset));
}

QVariant AccessibleKnob::maximumValue() const
{
    return knob()->shownNumber(knob()->top());
}

QVariant AccessibleKnob::minimumValue() const
{
    return knob()->shownNumber(knob()->minimum);
}

QVariant AccessibleKnob::minimumStepSize() const
{
    return 1;
}
