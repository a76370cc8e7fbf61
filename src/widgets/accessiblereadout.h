#pragma once

#include <QAccessibleWidget>

class QLabel;

// A label that shows a changing reading, such as a level meter's: screen readers
// get the name its owner gave it followed by the reading ("MIC1 level, -35.2 dB"),
// and the shown text as its value.
class AccessibleReadout : public QAccessibleWidget
{
public:
    explicit AccessibleReadout(QLabel *label);

    QString text(QAccessible::Text type) const override;
    QAccessible::State state() const override;
};
