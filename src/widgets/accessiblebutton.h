#pragma once

#include <QAccessibleWidget>
#include <QMetaObject>

class Button;

// A switch as screen readers see it: a check box, checked while the button is on,
// named by its caption unless its owner gave it a name. Pressing or toggling it
// through accessibility is a click: it flips the state and emits pressed(bool).
class AccessibleButton : public QAccessibleWidget
{
public:
    explicit AccessibleButton(Button *button);
    ~AccessibleButton() override;

    QString text(QAccessible::Text type) const override;
    QAccessible::State state() const override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

private:
    Button *button() const;

    QMetaObject::Connection announcement;
};
