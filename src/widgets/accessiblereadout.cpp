#include "accessiblereadout.h"

#include <QLabel>

AccessibleReadout::AccessibleReadout(QLabel *label)
    : QAccessibleWidget(label, QAccessible::StaticText)
{
}

// Readers say a label by its name alone, so the name carries the reading too.
QString AccessibleReadout::text(QAccessible::Text type) const
{
    const QString reading = static_cast<QLabel *>(widget())->text();
    if (type == QAccessible::Value)
        return reading;
    if (type == QAccessible::Name)
        return widget()->accessibleName() + QStringLiteral(", ") + reading;
    return QAccessibleWidget::text(type);
}

QAccessible::State AccessibleReadout::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    return state;
}
