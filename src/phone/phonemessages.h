#pragma once

#include <transport.h>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The phone's WebSocket messages, one JSON object each, both ways. In:
//   {"t":"set","control":"SpeakerValue","value":"-20"}   also "on", "off"
//   {"t":"fader","control":"SpeakerValue","position":0.75}
//   {"t":"preset","name":"Live"}
//   {"t":"refresh"}
//   {"t":"meters","rate":20}                             0 while the page is hidden
// Out: "view" (presence, model, controls, readouts with the "places" each
// shows at, a group and a label, and presets), "control" (one
// control's value, fader, limit and the heading of its column, its "group"),
// "levels" (dB in the readouts' order), "reply" (a refusal's "why" for the
// page to word, with the "limit" or the preset it names as "subject").
namespace phone {

inline constexpr int kMaxMessageBytes = 1024;

// A phone's request, as parsed from its message.
struct Command
{
    enum class Kind {
        Value,   // control takes text as a script gives it: a whole number, on or off
        Fader,   // control goes to position, 0..1 over its travel (the console taper)
        Preset,  // the preset name is loaded
        Refresh, // the whole view again
        Meters,  // number level readings a second while the page is visible, 0 when it is not
    };
    Kind kind = Kind::Refresh;
    QString control; // Value, Fader
    QString text;    // Value: the value's text; Preset: its name
    double number = 0; // Fader: the position; Meters: readings a second
};

// Whether the panel can be shown: another session's program may hold the interface.
enum class Presence { Shown, NoInterface, OtherSession };

// Nothing for a message that is not one of the above, whole and well formed.
std::optional<Command> parseMessage(const QByteArray &message);

// The panel's state with its presets; an empty one unless it is shown.
QByteArray encodeView(Presence presence, const surface::State &state, const QStringList &presets);
QByteArray encodeControl(const surface::ControlState &control);
QByteArray encodeLevels(const surface::Levels &levels);
// Whether a message is a reading of levels, which the next one replaces.
bool isLevels(const QByteArray &message);
// The first line of the answer, in the user's language, and its notes; a
// refusal's reason beside it.
QByteArray encodeReply(const surface::Reply &reply);

} // namespace phone
