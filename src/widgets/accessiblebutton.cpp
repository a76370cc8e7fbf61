#include "accessiblebutton.h"

#include "button.h"

// The role is Qt's own for a checkable push button, so each platform presents it as
// its usual two-state control (a toggle on Windows, a check box over AT-SPI).
AccessibleButton::AccessibleButton(Button *button)
    : QAccessibleWidget(button, QAccessible::CheckBox)
{
    // Tied to this interface, not to the button: Qt may drop and remake an interface.
    announcement = QObject::connect(button, &Button::pressed, button, [button] {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(button, changed);
        QAccessible::updateAccessibility(&event);
    });
}

AccessibleButton::~AccessibleButton()
{
    QObject::disconnect(announcement);
}

Button *AccessibleButton::button() const
{
    return static_cast<Button *>(widget());
}

QString AccessibleButton::text(QAccessible::Text type) const
{
    if (type == QAccessible::Name && widget()->accessibleName().isEmpty())
        return button()->text();
    return QAccessibleWidget::text(type);
}

QAccessible::State AccessibleButton::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.checkable = true;
    state.checked = button()->active;
    return state;
}

// Windows toggles, AT-SPI screen readers press: both mean one click.
QStringList AccessibleButton::actionNames() const
{
    return QStringList {pressAction(), toggleAction()} + QAccessibleWidget::actionNames();
}

void AccessibleButton::doAction(const QString &actionName)
{
    if (actionName == pressAction() || actionName == toggleAction())
        button()->setActive(!button()->active);
    else
        QAccessibleWidget::doAction(actionName);
}
