#include "accessibility.h"

#include "accessiblebutton.h"
#include "accessibleknob.h"
#include "accessiblereadout.h"
#include "button.h"
#include "knob.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QLabel>

namespace accessibility {

namespace {

// Qt asks once per object, walking up from its most derived class; null leaves
// the object to Qt's own interfaces.
QAccessibleInterface *controlInterface(const QString &className, QObject *object)
{
    if (className == QLatin1String("Knob"))
        return new AccessibleKnob(static_cast<Knob *>(object));
    if (className == QLatin1String("Button"))
        return new AccessibleButton(static_cast<Button *>(object));
    if (className == QLatin1String("QLabel")) {
        auto *label = static_cast<QLabel *>(object);
        if (!label->accessibleName().isEmpty())
            return new AccessibleReadout(label);
    }
    return nullptr;
}

} // namespace

void install()
{
    QAccessible::installFactory(controlInterface);
}

void nameReadout(QLabel *readout, const QString &name, const QString &description)
{
    readout->setAccessibleName(name);
    readout->setAccessibleDescription(description);
    // While a screen reader runs, the label's first text already made Qt build it a
    // plain label's interface; drop that one so that the next one is a readout.
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(QAccessible::queryAccessibleInterface(readout)));
}

ComboBox::ComboBox(QWidget *parent)
    : QComboBox(parent)
{
    connect(this, &QComboBox::currentTextChanged, this, &QComboBox::setAccessibleDescription);
}

void ComboBox::keyPressEvent(QKeyEvent *event)
{
    const int before = currentIndex();
    QComboBox::keyPressEvent(event);
    if (currentIndex() == before || currentIndex() < 0 || !hasFocus() || !QAccessible::isActive())
        return;
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(view());
    if (QAccessibleInterface *item = list ? list->child(currentIndex()) : nullptr) {
        QAccessibleEvent focus(item, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

} // namespace accessibility
