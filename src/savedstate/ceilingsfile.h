#pragma once

#include <QString>

#include <optional>

// The user's volume ceilings, in "limits.ini" beside the panels' files and
// private like them: a group per model, each limited control's name with its
// ceiling in the control's own unit ("[rk2] HeadphoneValue=-10"). The panels'
// own files get no keys.
namespace savedstate {

// What a damaged entry holds its level at: a ceiling protects hearing, so an
// entry nobody can read must not lift it, and as nobody can tell what the user
// chose, the level is held at the bottom of every level that takes one (dB).
inline constexpr int kDamagedCeiling = -80;

// None when no ceiling is set; kDamagedCeiling, logged, when the file's entry
// does not parse.
std::optional<int> readCeiling(const QString &model, const QString &control);
// Whether the file's entry is there and does not parse, so that its level is
// held at kDamagedCeiling until the ceiling is set again.
bool ceilingDamaged(const QString &model, const QString &control);
// None removes the ceiling. False when the file could not be written.
bool writeCeiling(const QString &model, const QString &control, std::optional<int> ceiling);

} // namespace savedstate
