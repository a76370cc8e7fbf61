#pragma once

#include <QString>

#include <optional>

// The user's volume ceilings, in "limits.ini" beside the panels' files and
// private like them: a group per model, each limited control's name with its
// ceiling in the control's own unit ("[rk2] HeadphoneValue=-10"). The panels'
// own files get no keys.
namespace savedstate {

// None when no ceiling is set, or the file's entry does not parse (logged).
std::optional<int> readCeiling(const QString &model, const QString &control);
// None removes the ceiling. False when the file could not be written.
bool writeCeiling(const QString &model, const QString &control, std::optional<int> ceiling);

} // namespace savedstate
