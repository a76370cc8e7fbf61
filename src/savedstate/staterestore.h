#pragma once

#include <QString>

#include <functional>
#include <vector>

class Button;
class Knob;
class QSettings;

namespace savedstate {

// The dynamic property that names, on each control a panel restores, the key
// its state is saved under, so that others can find a control by its key.
inline constexpr char kSavedKey[] = "savedKey";

// A panel's state restore, in two passes. First every stored state is read,
// once, in the order of the panel's key table: a value that does not parse
// counts as missing (one log line), so the key's default applies. Knowing
// them all, the panel puts the levels it will end with into its mixer block
// before anything is sent. run() then hands each state to its control's own
// setter, in the same order, so that every handler sends its setting to the
// device and writes its key back exactly as a user change would.
class StateRestore
{
public:
    // Null when the panel has no usable file: every control gets its default.
    explicit StateRestore(QSettings *settings);

    // Each read also tags the control with its key (kSavedKey).
    // The state the button will be given.
    bool read(Button *button, const QString &key);
    // The value the knob will be given, already bounded to its range.
    int read(Knob *knob, const QString &key, int defaultValue);

    void run() const;

private:
    QSettings *settings;
    std::vector<std::function<void()>> steps;
};

} // namespace savedstate
