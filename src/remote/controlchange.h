#pragma once

#include "protocol.h"

#include <controltable.h>
#include <safetygate.h>

#include <optional>

// The one way a control changes from outside the window: a script's --set and
// --step, and a global shortcut's step or toggle, each through the gate with
// the way it came, then through the control's own setter.
namespace remote {

// A key's step moves a level at most this many dB at a press, as Page Up on a
// knob does: no key jumps a level. Scripts may step further, as --set may.
inline constexpr int kLargestKeyStep = 6;
// What the media keys step, unless told.
inline constexpr int kDefaultKeyStep = 2;

// A value as --set gives it ("-30", "on", "toggle"), parsed and checked for
// that way, then applied. Done with "KEY=VALUE", or why not.
Answer setControl(const controls::ControlTable &table, const controls::Control &control, const QString &value,
                  safetygate::Way way);

// Where a knob ends when it moves amount dB from where it stands: held at the
// user's limit and at the ends of its range, and, when it stopped short
// there, the sentence that says so ("limited to -30 dB").
struct StepEnd
{
    int value = 0;
    std::optional<answers::Sentence> stop;
};
StepEnd stepEnd(const controls::Control &knob, int amount);

// amount as a step writes it: a whole number of dB, a plus sign allowed.
std::optional<int> parseStepAmount(const QString &text);

// Moves a knob amount dB through setControl, stopping at a limit with a
// second line that says so; a switch is refused. A step that ends where the
// knob stands sends nothing: a held key at a limit must not flood the interface.
Answer step(const controls::ControlTable &table, const controls::Control &control, int amount, safetygate::Way way);

} // namespace remote
