#pragma once

#include <QAccessibleWidget>

class QLabel;

// A label that shows a changing reading, such as a level meter's: screen readers
// get the fixed name its owner gave it and read the shown text as its value.
class AccessibleReadout : public QAccessibleWidget
{
public:
    explicit AccessibleReadout(QLabel *label);

    QString text(QAccessible::Text type) const override;
    QAccessible::State state() const override;
};
