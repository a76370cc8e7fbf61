#include "offeredactions.h"

#include "outputs.h"

#include <controlchange.h>
#include <controltable.h>
#include <presets.h>

#include <QCoreApplication>
#include <QWidget>

#include <algorithm>

namespace shortcuts {

using controls::Control;

namespace {

QString translated(const char *text)
{
    return QCoreApplication::translate("shortcuts::KeyboardShortcutsDialog", text);
}

// MUTE and DIM: the switches that lower an output, in its column.
bool lowersAnOutput(const controls::ControlTable &table, const Control &control)
{
    const Control *level = control.kind == controls::Kind::Pad ? levelOf(table, control) : nullptr;
    return level && level != &control;
}

} // namespace

std::vector<OfferedAction> offeredActions(const controls::ControlTable *table, const Bindings &bindings)
{
    std::vector<OfferedAction> offered;
    const int step = remote::kDefaultKeyStep;
    static const std::vector<Control> none;
    for (const Control &control : table ? table->controls() : none) {
        if (isLevel(control)) {
            offered.push_back({{Action::Kind::Step, control.name(), step},
                               translated(QT_TRANSLATE_NOOP("shortcuts::KeyboardShortcutsDialog", "%1 up %2 dB"))
                                   .arg(control.label())
                                   .arg(step)});
            offered.push_back({{Action::Kind::Step, control.name(), -step},
                               translated(QT_TRANSLATE_NOOP("shortcuts::KeyboardShortcutsDialog", "%1 down %2 dB"))
                                   .arg(control.label())
                                   .arg(step)});
        } else if (lowersAnOutput(*table, control)) {
            offered.push_back({{Action::Kind::Toggle, control.name(), 0},
                               translated(QT_TRANSLATE_NOOP("shortcuts::KeyboardShortcutsDialog", "%1 on or off"))
                                   .arg(control.label())});
        }
    }
    for (const QString &preset : table ? remote::presets::list(*table) : QStringList())
        offered.push_back({{Action::Kind::Preset, preset, 0},
                           translated(QT_TRANSLATE_NOOP("shortcuts::KeyboardShortcutsDialog", "Load preset %1"))
                               .arg(preset)});
    offered.push_back({Action {}, translated(QT_TRANSLATE_NOOP("shortcuts::KeyboardShortcutsDialog", "Show the panel"))});
    for (const auto &[keys, action] : bindings) {
        const auto same = [&action](const OfferedAction &each) { return each.action == action; };
        if (std::none_of(offered.begin(), offered.end(), same))
            offered.push_back({action, action.text()});
    }
    return offered;
}

} // namespace shortcuts
