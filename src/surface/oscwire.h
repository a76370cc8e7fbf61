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

// A number of any OSC numeric type (ints, floats, doubles, T and F as 1 and 0) or a string.
using Argument = std::variant<double, QString>;

struct Message
{
    QString address;
    std::vector<Argument> arguments;
};

// The messages of one datagram, a bundle's in their order; nothing when the
// datagram is not well-formed OSC or holds an argument type the program never
// takes (blobs, arrays, colours, MIDI, time tags).
std::optional<std::vector<Message>> decode(const char *data, std::size_t size);

// One message with one argument; the address and the string must fit a datagram.
QByteArray encode(const QString &address, int value);
QByteArray encode(const QString &address, float value);
QByteArray encode(const QString &address, const QString &value);

} // namespace surface
