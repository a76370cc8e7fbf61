#include "changedisplay.h"

#include "outputs.h"

#include <knob.h>
#include <onscreendisplay.h>
#include <taper.h>

#include <QApplication>
#include <QSystemTrayIcon>
#include <QScopedValueRollback>
#include <QWidget>

namespace shortcuts {

using controls::Control;
using controls::ControlTable;

namespace {

// A preset moves no one level the bar could show.
constexpr double kNoBar = -1;

QString valueOf(const Control &control)
{
    if (control.knob)
        return QStringLiteral("%1 %2").arg(control.shownValue()).arg(control.knob->suffix);
    return control.value() ? ChangeDisplay::tr("On") : ChangeDisplay::tr("Off");
}

} // namespace

ShownChange shownChange(const ControlTable &table, const Control &control)
{
    const Control *level = levelOf(table, control);
    const Control &shown = level ? *level : control;
    const Control *mute = level ? muteOf(table, *level) : nullptr;
    const QString detail = &shown == &control || &control == mute ? QString()
                                                                  : control.label() + QLatin1Char(' ') + valueOf(control);
    return {shown.label(), valueOf(shown), level ? surface::faderPosition(*level, level->value()) : 0,
            mute && mute->value(), detail};
}

ChangeDisplay::ChangeDisplay(QWidget *rootWidget, QObject *parent)
    : QObject(parent)
    , root(rootWidget)
{
}

ChangeDisplay::~ChangeDisplay()
{
    delete display;
}

void ChangeDisplay::setTrayIcon(const QSystemTrayIcon *icon)
{
    trayIcon = icon;
    if (display)
        display->followTrayIcon(icon);
}

void ChangeDisplay::show(const ControlTable &table, const Control &control, const QString &note)
{
    const ShownChange shown = shownChange(table, control);
    const QString told = QStringList {shown.detail, note}.join(QLatin1Char(' ')).trimmed();
    displayed().showChange(shown.label, shown.value, shown.fraction, shown.muted, told);
}

void ChangeDisplay::showPreset(const QString &name, const QString &note)
{
    displayed().showChange(tr("Preset"), name, kNoBar, false, note);
}

void ChangeDisplay::whileOwnChange(const std::function<void()> &change)
{
    const QScopedValueRollback own(ownChange, true);
    change();
}

void ChangeDisplay::setShowsOtherChanges(bool on)
{
    othersShown = on;
    followPanel();
}

void ChangeDisplay::followPanel()
{
    if (followed)
        disconnect(followed, nullptr, this, nullptr);
    followed = othersShown ? controls::shownTable(root) : nullptr;
    if (followed)
        connect(followed, &ControlTable::changed, this, &ChangeDisplay::showOthers);
}

// Levels and the switches that lower them are what the display is for; a
// preset or a replay changes every control, and the last of those shows.
void ChangeDisplay::showOthers(const Control &control)
{
    const bool inWindow = root && QApplication::activeWindow() == root->window();
    if (ownChange || inWindow || !followed || !(isLevel(control) || control.kind == controls::Kind::Pad))
        return;
    show(*followed, control, QString());
}

globalkeys::OnScreenDisplay &ChangeDisplay::displayed()
{
    if (!display) {
        display = new globalkeys::OnScreenDisplay;
        if (trayIcon)
            display->followTrayIcon(trayIcon);
    }
    return *display;
}

} // namespace shortcuts
