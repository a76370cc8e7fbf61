#pragma once

#include "command.h"
#include "oscwire.h"
#include "transport.h"

#include <controltable.h>
#include <sentence.h>

#include <QByteArrayList>
#include <QString>

#include <variant>

// The program's OSC address space, in and out. A control's name is its key
// without the group, as scripts know it ("SpeakerValue"):
//   /korvist/<name> [number|text] a value in the control's own unit, 1/0 or on/off/toggle for a switch;
//                                 none toggles a switch
//   /korvist/<name>/fader f       0..1 over the control's travel
//   /korvist/preset/load s        loads a preset
//   /korvist/refresh              sends every value back
//   /korvist/subscribe i          sends every change to this port for a minute
//   /korvist/unsubscribe i        ends that
//   /korvist/meters i             level readings a second for the sender's subscriptions
//   /korvist/list, /korvist/presets, /korvist/ping
// Out: /korvist/model s, /korvist/<name> i, /korvist/<name>/fader f,
// /korvist/level/<readout> f (dB) and .../fader f, /korvist/done s,
// /korvist/note s, /korvist/refused s, /korvist/control ..., /korvist/preset s, /korvist/pong s.
namespace surface {

// The command, or why the message is none.
std::variant<Command, answers::Sentence> interpret(const Message &message);
// An address the program only sends (/korvist/refused, /korvist/level/MIC1, ...):
// no command, and no answer either, which would be sent again to whoever sent
// it, perhaps another program answering it in turn.
bool isOwnOutput(const QString &address);

// What a control is, in words a surface shows: "input gain", "output level", "phantom power".
QString kindName(controls::Kind kind);

// The item's datagrams.
QByteArrayList datagramsOf(const Outgoing &item);

QString valueAddress(const QString &control);
QString faderAddress(const QString &control);
QString levelAddress(const QString &readout);
inline const QString kModelAddress = QStringLiteral("/korvist/model");
inline const QString kRefusedAddress = QStringLiteral("/korvist/refused");

} // namespace surface
