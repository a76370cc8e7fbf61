#pragma once

#include "shortcutsfile.h"

#include <vector>

namespace controls {
class ControlTable;
}

namespace shortcuts {

// An action the Keyboard Shortcuts window offers a key for, as the window names it.
struct OfferedAction
{
    Action action;
    QString label; // "SPEAKER Volume up 2 dB", in the user's language
};

// For the shown panel (none: null): each output and phone level up and down
// by the media keys' usual step, MUTE and DIM of each output on or off, each
// preset loaded, the panel shown; then, as written, every other action the
// user bound (another step, another model's control).
std::vector<OfferedAction> offeredActions(const controls::ControlTable *table, const Bindings &bindings);

} // namespace shortcuts
