#include "accessiblereadout.h"

#include <QLabel>

AccessibleReadout::AccessibleReadout(QLabel *label)
    : QAccessibleWidget(label, QAccessible::StaticText)
{
}

QString AccessibleReadout::text(QAccessible::Text type) const
{
    if (type == QAccessible::Value)
        return static_cast<QLabel *>(widget())->text();
    return QAccessibleWidget::text(type);
}

QAccessible::State AccessibleReadout::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    return state;
}
