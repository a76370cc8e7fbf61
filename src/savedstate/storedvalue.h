#pragma once

#include <optional>

class QSettings;
class QString;
class QVariant;

// What a value read back from an ini file means. The files come from outside
// (an editor, a crash in the middle of a write, another version), so only the
// forms QSettings itself writes count; anything else is no value at all, and
// the caller falls back to the key's default. Qt Core only, no state.
namespace savedstate {

// On for "true" and "1", off for "false" and "0": the text of a file, or the
// bool a QSettings object still holds as it was set.
std::optional<bool> parseStoredSwitch(const QVariant &stored);
// The whole text is a decimal integer (an optional sign, ASCII digits) that
// fits in 32 bits; or the int a QSettings object still holds as it was set.
std::optional<int> parseStoredNumber(const QVariant &stored);

// The state saved under key in a panel's file (null: no usable file). A
// value that does not parse counts as missing, with one log line naming it,
// so that the key's default applies.
bool readStoredSwitch(QSettings *settings, const QString &key);
int readStoredNumber(QSettings *settings, const QString &key, int defaultValue);

} // namespace savedstate
