#pragma once

#include <globalhotkeys.h>

#include <QKeyCombination>

#include <optional>

namespace globalkeys {

// Qt's key and modifiers in the platform seam's words; nothing for a key no
// system grabs (a modifier alone, a keypad or a shifted character's own code).
std::optional<platform::Hotkey> hotkeyFor(QKeyCombination keys);

} // namespace globalkeys
