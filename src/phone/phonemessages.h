#pragma once

#include "phonepanel.h"

#include <QByteArray>

#include <optional>

// The phone's WebSocket messages, one JSON object each, both ways. In:
//   {"t":"set","control":"SpeakerValue","value":"-20"}   also "on", "off"
//   {"t":"fader","control":"SpeakerValue","position":0.75}
//   {"t":"preset","name":"Live"}
//   {"t":"refresh"}
//   {"t":"meters","rate":20}                             0 while the page is hidden
// Out: "view" (presence, model, controls, readouts, presets), "control" (one
// control's value and fader), "levels" (dB in the readouts' order), "reply".
namespace phone {

inline constexpr int kMaxMessageBytes = 1024;

// Nothing for a message that is not one of the above, whole and well formed.
std::optional<Command> parseMessage(const QByteArray &message);

QByteArray encodeView(const PanelView &view);
QByteArray encodeControl(const ControlView &control);
QByteArray encodeLevels(const QList<double> &decibels);
QByteArray encodeReply(const Reply &reply);

} // namespace phone
