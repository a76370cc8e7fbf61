#pragma once

#include <QAccessibleWidget>
#include <QMetaObject>

class Knob;

// A knob as screen readers see it: a slider whose value is the number on its face.
// Every change made through it goes through Knob::setValue, so it reaches the
// device and the ini file exactly as a wheel step or a typed value would.
class AccessibleKnob : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit AccessibleKnob(Knob *knob);
    ~AccessibleKnob() override;

    void *interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text type) const override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant &value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

private:
    Knob *knob() const;

    QMetaObject::Connection announcement;
};
