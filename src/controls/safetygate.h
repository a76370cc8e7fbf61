#pragma once

#include "controltable.h"

#include <sentence.h>

#include <QString>
#include <QStringList>

#include <optional>

class QSettings;

// The safety rules, for every way a control can be changed, here and nowhere
// else: no key jumps a gain or level, values from outside are checked before
// anything is sent, a replay never passes through a state louder than both its
// start and its end, and only a hand on its own switch turns phantom power on.
namespace safetygate {

// Who asks for a change.
enum class Way {
    Hand,     // a click or a key on the control itself
    Script,   // a command line naming the control
    Surface,  // a remote control surface
    PlugIn,   // the panel's own saved state, when the interface arrives
    Preset,   // a named state the user loads
    HandOver, // the saved state of a session that takes the interface over
    Ceiling,  // a volume ceiling the user lowered below a level
};

// Called for every knob a table declares: End does not jump a gain or level
// to its top in one request (Home, to the bottom, stays).
void guardKeys(const controls::Control &control);

// A value for a control, given as text from outside the window: a knob takes
// a whole number within its range (for a script or a surface, not above the
// user's ceiling), written as the file writes it (no plus sign,
// no blanks, no exponent); a switch takes on, off, true or false, and toggle
// from a script or a surface. The refusal names the control, the value and
// what is valid.
std::optional<int> parseValue(const controls::Control &control, const QString &text, Way way,
                              answers::Sentence &refusal);

// A whole number as a script or a file writes it: no plus sign, no blanks,
// no exponent; nothing otherwise.
std::optional<int> parseWholeNumber(const QString &text);

// Whether phantom power may go from off to on this way.
bool mayTurnOnPhantomPower(Way way);
// Why a single change that came this way may not be made: phantom power
// going on where the way may not switch it on. Nothing when it may.
std::optional<answers::Sentence> refuseChange(const controls::Control &control, int value, Way way);

// The most a surface raises a gain or level in one request, in dB (the unit of every knob).
inline constexpr int kLargestSurfaceRaise = 6;
// The value of the next request of a change towards target that came this
// way: a surface raises a knob kLargestSurfaceRaise at most, and never above
// the user's ceiling (lowered, it may be, while the change goes on); a
// lowering, and a change any other way, goes at once.
int nextStep(const controls::Control &control, int target, Way way);

// The entry of a preset file that names the model it was saved from.
inline const QString kPresetModelKey = QStringLiteral("Preset/Model");

// The preset is for this table's model and holds nothing but its controls'
// keys, each with a value parseValue takes. The refusal names the first key
// and value that are not.
std::optional<answers::Sentence> checkPreset(const controls::ControlTable &table, const QSettings &preset);
// The values a preset gives, on top of the controls' current ones; check it first.
controls::Targets presetTargets(const controls::ControlTable &table, const QSettings &preset);
// The panel's saved state: a value that does not parse counts as missing and
// the key's default applies; a knob's value is bounded to its range.
controls::Targets savedTargets(const controls::ControlTable &table);

// Takes every control of the table to its target, each through its own setter
// (so each handler sends and saves it), ordered so that no request makes a
// path louder than both the state before and the state after: levels that go
// down, then pads that go on, routes that close, what changes no level,
// pads that come off, routes that open, and last levels that go up. Phantom
// power stays off where this way may not switch it on, and a level above the
// user's ceiling goes to the ceiling instead. An interface that
// arrives (plug-in, take-over) holds a state nobody here knows: it is first
// taken to its quietest, the mixer block silent and the input gains at their
// minimum, and the replay goes on from there. The settings file is written
// once, at the end. Returns one line for each channel whose phantom power was
// left off or level held at its ceiling.
std::vector<answers::Sentence> replay(const controls::ControlTable &table, controls::Targets targets, Way way);

} // namespace safetygate
