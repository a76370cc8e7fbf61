#pragma once

#include "oscwire.h"

#include <QString>

#include <optional>

// The program's OSC address space, in and out. A control's name is its key
// without the group, as scripts know it ("SpeakerValue"):
//   /korvist/<name> [number]    a value in the control's own unit, 0/1 for a switch; none toggles a switch
//   /korvist/<name>/fader f     0..1 over the control's range
//   /korvist/preset/load s      loads a preset
//   /korvist/refresh            sends every value back
//   /korvist/subscribe i        sends every change to this port for a minute
// Out only: /korvist/model s, /korvist/level/<readout> f (dB), /korvist/refused s.
namespace surface {

struct Command
{
    enum class Kind { Value, Fader, Toggle, PresetLoad, Refresh, Subscribe };

    Kind kind = Kind::Refresh;
    QString control; // Value, Fader, Toggle
    double number = 0; // Value, Fader; the port of Subscribe
    QString name; // PresetLoad
};

// Nothing for an address outside the space or arguments it does not take;
// whether the control exists is the panel's to say.
std::optional<Command> interpret(const Message &message);

QString valueAddress(const QString &control);
QString faderAddress(const QString &control);
QString levelAddress(const QString &readout);
inline const QString kModelAddress = QStringLiteral("/korvist/model");
inline const QString kRefusedAddress = QStringLiteral("/korvist/refused");

} // namespace surface
