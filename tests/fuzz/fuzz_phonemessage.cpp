// What a phone on the network sends the program, whatever it puts in it: its
// HTTP request, cookie, WebSocket frames and messages, its Host, Origin and
// User-Agent. Parsing ends without a crash; a request is taken only within
// its bounds; a frame is never longer than a message may be; a message taken
// as a command never carries what the panel cannot take (a number that is
// not finite, a position or rate out of range, an empty or overlong name).
#include <browsername.h>
#include <httpmessages.h>
#include <pairing.h>
#include <phonelimits.h>
#include <phonemessages.h>
#include <requestcheck.h>
#include <websocketwire.h>

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    using Kind = phone::Command::Kind;
    if (const std::optional<phone::Command> command = phone::parseMessage(input)) {
        if (!std::isfinite(command->number) || input.size() > phone::kMaxMessageBytes)
            __builtin_trap();
        switch (command->kind) {
        case Kind::Value:
        case Kind::Fader:
            if (command->control.isEmpty() || command->control.size() > 64)
                __builtin_trap();
            break;
        case Kind::Preset:
            if (command->text.isEmpty() || command->text.size() > 64)
                __builtin_trap();
            break;
        case Kind::Meters:
            if (command->number < 0 || command->number > 20 || command->number != std::floor(command->number))
                __builtin_trap();
            break;
        case Kind::Refresh:
            break;
        }
    }
    phone::HttpRequestReader reader;
    if (reader.read(input) == phone::HttpRequestReader::State::Done
        && (reader.request().body.size() > phone::limits::kMaxBodyBytes || !reader.request().path.startsWith('/')
            || reader.request().path.contains('?')))
        __builtin_trap();
    QByteArray frames = input;
    phone::websocket::Frame frame;
    int closeCode = 0;
    while (phone::websocket::readFrame(frames, phone::kMaxMessageBytes, frame, closeCode) == phone::websocket::Read::Frame)
        if (frame.payload.size() > phone::kMaxMessageBytes)
            __builtin_trap();
    if (phone::Pairing::tokenOf(input).contains(';'))
        __builtin_trap();
    phone::Listening listening {8080, {QHostAddress(QHostAddress::LocalHost)}, std::nullopt};
    if (phone::hostAllowed(input, listening) && input != "localhost:8080" && input != "127.0.0.1:8080")
        __builtin_trap();
    if (phone::originAllowed(input, "127.0.0.1:8080") && input != "http://127.0.0.1:8080")
        __builtin_trap();
    if (phone::browserName(QString::fromUtf8(input)).size() > 40)
        __builtin_trap();
    return 0;
}
