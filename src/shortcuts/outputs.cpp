#include "outputs.h"

#include <QVariant>
#include <QWidget>

namespace shortcuts {

using controls::Control;
using controls::Kind;

namespace {

bool sameColumn(const Control &a, const Control &b)
{
    return !a.section().isEmpty() && a.section() == b.section();
}

} // namespace

bool isLevel(const Control &control)
{
    return control.kind == Kind::OutputLevel || control.kind == Kind::PhoneLevel;
}

const Control *muteOf(const controls::ControlTable &table, const Control &level)
{
    for (const Control &control : table.controls())
        if (!control.knob && control.widget()->property(controls::kMutesColumnProperty).toBool() && sameColumn(control, level))
            return &control;
    return nullptr;
}

const Control *levelOf(const controls::ControlTable &table, const Control &control)
{
    if (isLevel(control))
        return &control;
    for (const Control &level : table.controls())
        if (level.kind == Kind::OutputLevel && sameColumn(level, control))
            return &level;
    return nullptr;
}

const Control *mainOutput(const controls::ControlTable &table)
{
    for (const Control &control : table.controls())
        if (control.kind == Kind::OutputLevel)
            return &control;
    return nullptr;
}

} // namespace shortcuts
