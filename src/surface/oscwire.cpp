#include "oscwire.h"

#include <osc/OscOutboundPacketStream.h>
#include <osc/OscReceivedElements.h>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace surface {

namespace {

// Bundles may nest; a datagram of nested bundle headers would otherwise recurse once per 16 bytes.
constexpr int kMaxBundleDepth = 4;

std::optional<Argument> argumentOf(const osc::ReceivedMessageArgument &argument)
{
    if (argument.IsInt32())
        return double(argument.AsInt32());
    if (argument.IsInt64())
        return double(argument.AsInt64());
    if (argument.IsFloat())
        return double(argument.AsFloat());
    if (argument.IsDouble())
        return argument.AsDouble();
    if (argument.IsBool())
        return argument.AsBool() ? 1.0 : 0.0;
    if (argument.IsString())
        return QString::fromUtf8(argument.AsString());
    if (argument.IsSymbol())
        return QString::fromUtf8(argument.AsSymbol());
    if (argument.IsNil())
        return std::monostate();
    return std::nullopt;
}

// oscpack 1.1.0 builds, but never throws, its exception for a blob that runs
// past the message's end, and reads on at the blob's claimed size: a 12-byte
// datagram made it read 2 GB away. Only the types the program takes reach it.
// The address must be padded with NULs, so that it ends where oscpack ends it
// (at the first block of four whose last byte is NUL).
bool takesTypes(const char *message, std::size_t size)
{
    const void *nul = std::memchr(message, '\0', size);
    if (!nul)
        return false;
    std::size_t at = std::size_t(static_cast<const char *>(nul) - message);
    const std::size_t tags = (at + 4) & ~std::size_t(3);
    if (tags > size)
        return false;
    for (; at < tags; ++at)
        if (message[at] != '\0')
            return false;
    for (at = tags + 1; at < size && message[at] != '\0'; ++at)
        if (!std::strchr("ihfdsSTFN", message[at]))
            return false;
    return true;
}

bool read(const osc::ReceivedMessage &received, std::vector<Message> &messages)
{
    Message message {QString::fromUtf8(received.AddressPattern()), {}};
    for (auto it = received.ArgumentsBegin(); it != received.ArgumentsEnd(); ++it) {
        const std::optional<Argument> argument = argumentOf(*it);
        if (!argument)
            return false;
        message.arguments.push_back(*argument);
    }
    messages.push_back(std::move(message));
    return true;
}

// oscpack 1.1.0 steps from one bundle element to the next by adding 4 to the
// element's size in 32 bits: a size of 0xFFFFFFFC steps by nothing, and its
// reading of the bundle never ends. Every element has to fit before oscpack sees it.
bool elementsFit(const char *bundle, std::size_t size)
{
    for (std::size_t at = 16; at + 4 <= size;) {
        std::uint32_t element = 0;
        for (std::size_t i = 0; i < 4; ++i)
            element = element << 8 | static_cast<unsigned char>(bundle[at + i]);
        if (element > size - at - 4)
            return false;
        at += 4 + element;
    }
    return true;
}

bool read(const osc::ReceivedBundle &bundle, std::vector<Message> &messages, int depth)
{
    if (depth > kMaxBundleDepth)
        return false;
    for (auto it = bundle.ElementsBegin(); it != bundle.ElementsEnd(); ++it) {
        if (!(it->IsBundle() ? elementsFit : takesTypes)(it->Contents(), std::size_t(it->Size())))
            return false;
        const bool ok = it->IsBundle() ? read(osc::ReceivedBundle(*it), messages, depth + 1)
                                       : read(osc::ReceivedMessage(*it), messages);
        if (!ok)
            return false;
    }
    return true;
}

struct Writer
{
    osc::OutboundPacketStream &stream;
    void operator()(int value) const { stream << osc::int32(value); }
    void operator()(float value) const { stream << value; }
    void operator()(const QString &value) const { stream << value.toUtf8().constData(); }
};

} // namespace

std::optional<std::vector<Message>> decode(const char *data, std::size_t size)
{
    std::vector<Message> messages;
    try {
        const osc::ReceivedPacket packet(data, osc::osc_bundle_element_size_t(size));
        if (!(packet.IsBundle() ? elementsFit : takesTypes)(data, size))
            return std::nullopt;
        const bool ok = packet.IsBundle() ? read(osc::ReceivedBundle(packet), messages, 1)
                                          : read(osc::ReceivedMessage(packet), messages);
        if (!ok)
            return std::nullopt;
    } catch (const osc::Exception &) {
        return std::nullopt;
    }
    for (const Message &message : messages)
        for (const Argument &argument : message.arguments)
            if (const double *number = std::get_if<double>(&argument); number && !std::isfinite(*number))
                return std::nullopt;
    return messages;
}

QByteArray encode(const QString &address, const std::vector<OutArgument> &arguments)
{
    char buffer[kMaxDatagramBytes];
    osc::OutboundPacketStream stream(buffer, sizeof buffer);
    try {
        stream << osc::BeginMessage(address.toUtf8().constData());
        for (const OutArgument &argument : arguments)
            std::visit(Writer {stream}, argument);
        stream << osc::EndMessage;
    } catch (const osc::Exception &) {
        return {};
    }
    return QByteArray(stream.Data(), qsizetype(stream.Size()));
}

QByteArray encode(const QString &address, int value)
{
    return encode(address, std::vector<OutArgument> {value});
}

QByteArray encode(const QString &address, float value)
{
    return encode(address, std::vector<OutArgument> {value});
}

QByteArray encode(const QString &address, const QString &value)
{
    return encode(address, std::vector<OutArgument> {value});
}

} // namespace surface
