#include "livepanel.h"

#include <button.h>
#include <knob.h>
#include <staterestore.h>

#include <QMetaObject>
#include <QSettings>
#include <QWidget>

namespace remote {

namespace {

const char kRestore[] = "restoreState()";
const QString kPhantomPower = QStringLiteral("48VIsChecked");

QWidget *restoringAncestor(QWidget *widget)
{
    for (QWidget *candidate = widget->parentWidget(); candidate; candidate = candidate->parentWidget())
        if (candidate->metaObject()->indexOfMethod(kRestore) >= 0)
            return candidate;
    return nullptr;
}

} // namespace

QString Control::valueText() const
{
    if (knob)
        return QString::number(knob->value);
    return button->active ? QStringLiteral("true") : QStringLiteral("false");
}

bool Control::isPhantomPower() const
{
    return button && name.endsWith(kPhantomPower);
}

QString Control::channel() const
{
    return isPhantomPower() ? name.chopped(kPhantomPower.size()).toUpper() : QString();
}

LivePanel::LivePanel(QWidget *root)
{
    if (!root)
        return;
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        const QString key = widget->property(savedstate::kSavedKey).toString();
        if (key.isEmpty())
            continue;
        Control control {key.section(QLatin1Char('/'), -1), key, qobject_cast<Knob *>(widget),
                         qobject_cast<Button *>(widget)};
        QWidget *owner = restoringAncestor(widget);
        if ((!control.knob && !control.button) || !owner || (panel && owner != panel))
            continue;
        panel = owner;
        found.push_back(control);
    }
}

QString LivePanel::model() const
{
    return panel ? QString::fromLatin1(panel->metaObject()->className()) : QString();
}

QSettings *LivePanel::settings() const
{
    return panel ? panel->findChild<QSettings *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

const Control *LivePanel::find(const QString &name) const
{
    for (const Control &control : found)
        if (control.name == name)
            return &control;
    return nullptr;
}

QStringList LivePanel::names() const
{
    QStringList list;
    for (const Control &control : found)
        list << control.name;
    return list;
}

bool LivePanel::restoreState() const
{
    return panel && QMetaObject::invokeMethod(panel, "restoreState", Qt::DirectConnection);
}

} // namespace remote
