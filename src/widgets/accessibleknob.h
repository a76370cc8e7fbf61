#pragma once

#include <QAccessibleWidget>
#include <QMetaObject>

class Knob;

// A knob as screen readers see it: a spin box whose value is the number on its
// face, and whose text is that number with its unit ("39 dB"). Readers say a
// slider's value as a bare number or a percentage of its range; a spin box's
// text they say as it is, on focus after the name and alone on each change.
// Every change made through it goes through Knob::setValue, so it reaches the
// device and the ini file exactly as a wheel step or a typed value would.
class AccessibleKnob : public QAccessibleWidget, public QAccessibleValueInterface, public QAccessibleTextInterface
{
public:
    explicit AccessibleKnob(Knob *knob);
    ~AccessibleKnob() override;

    void *interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text type) const override;

    // The text, read-only, with neither caret nor selection.
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant &value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

private:
    Knob *knob() const;
    QString valueText() const;

    QMetaObject::Connection announcement;
};
