#pragma once

#include <QString>

#include <optional>

namespace surface {

// A surface's request, whichever transport carried it; what it does is the
// seam's (PanelSurface) to decide, and whether the control exists too.
struct Command
{
    enum class Kind {
        Value,       // control to number, or to text as a script gives it ("-20", "on", "toggle")
        Fader,       // control to the position number, 0..1 over its travel
        Toggle,      // a switch flipped
        PresetLoad,  // the preset text loaded
        Refresh,     // the whole state to the sender
        Subscribe,   // every change to port number of the sender's host
        Unsubscribe, // no more changes to port number of the sender's host
        Meters,      // number level readings a second (2 to 20, or 0 for none) for the sender's subscriptions
        List,        // every control with its label, kind and range
        Presets,     // the model's presets by name
        Ping,        // the model, as a sign of life
    };

    Kind kind = Kind::Refresh;
    QString control;
    double number = 0;
    std::optional<QString> text;
    // What the client sent, as its transport spells it ("/korvist/SpeakerValue"):
    // refusals and the log name it.
    QString said;
};

} // namespace surface
