#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <variant>
#include <vector>

// OSC's wire format, through oscpack's codec: what the program reads from a
// datagram and what it writes into one. Nothing here knows a control.
namespace surface {

// The largest datagram read: a control surface's messages are a few dozen bytes.
inline constexpr int kMaxDatagramBytes = 1024;
// The most messages taken from one datagram; a bundle's others are dropped.
inline constexpr std::size_t kMaxMessagesPerDatagram = 16;

// A number of any OSC numeric type (ints, floats, doubles, T and F as 1 and 0),
// a string, or nil (monostate).
using Argument = std::variant<double, QString, std::monostate>;
// What the program writes: int32, float32 or a string.
using OutArgument = std::variant<int, float, QString>;

struct Message
{
    QString address;
    std::vector<Argument> arguments;
};

// The messages of one datagram, a bundle's in their order; nothing when the
// datagram is not well-formed OSC or holds an argument type the program never
// takes (blobs, arrays, colours, MIDI, time tags,
// infinitum); a bundle's time tag is not read: its messages are carried out at once.
std::optional<std::vector<Message>> decode(const char *data, std::size_t size);

// One message; empty when it does not fit a datagram.
QByteArray encode(const QString &address, const std::vector<OutArgument> &arguments);
QByteArray encode(const QString &address, int value);
QByteArray encode(const QString &address, float value);
QByteArray encode(const QString &address, const QString &value);

} // namespace surface
