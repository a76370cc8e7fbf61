#pragma once

#include "action.h"

#include <QKeyCombination>

#include <map>

// The user's global shortcuts, in "shortcuts.ini" beside osc.ini and private
// like it: [Shortcuts] a combination and its action per entry
// ("Ctrl+Alt+Up=step SpeakerValue=2"; Qt writes the key's '+' as %2B, and
// reads either), [MediaKeys] Output (a level's name, empty for off) and Step,
// [OnScreenDisplay] OtherChanges. The file is input from outside: a damaged
// entry is left out, with one log line, and the rest apply.
namespace shortcuts {

struct MediaKeys
{
    QString output; // empty: the keys are the system's
    int step = 0;

    bool on() const { return !output.isEmpty(); }
    bool operator==(const MediaKeys &other) const = default;
};

struct KeyOrder
{
    bool operator()(QKeyCombination a, QKeyCombination b) const { return a.toCombined() < b.toCombined(); }
};
using Bindings = std::map<QKeyCombination, Action, KeyOrder>;

struct SavedShortcuts
{
    Bindings bindings;
    MediaKeys mediaKeys;
    // Changes made by scripts, surfaces and phones show on the on-screen display too.
    bool showOtherChanges = false;
};

SavedShortcuts loadShortcuts();
// Each false when the file could not be written.
bool saveBinding(QKeyCombination keys, const std::optional<Action> &action); // nothing removes it
bool saveMediaKeys(const MediaKeys &mediaKeys);
bool saveShowOtherChanges(bool on);

} // namespace shortcuts
