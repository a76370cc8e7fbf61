// A datagram from a control surface, whatever a sender puts in it: reading it
// ends without a crash or a read outside it, and what the address space makes
// of each message never carries a value the panel cannot take (a port beyond
// 16 bits, a rate beyond 20, a number that is not finite, a control name that
// is a path), and what it refuses it says why.
#include <addresses.h>
#include <oscwire.h>

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > std::size_t(surface::kMaxDatagramBytes))
        return 0;
    const auto messages = surface::decode(reinterpret_cast<const char *>(data), size);
    if (!messages)
        return 0;
    using Kind = surface::Command::Kind;
    for (const surface::Message &message : *messages) {
        const auto interpreted = surface::interpret(message);
        if (const auto *refusal = std::get_if<answers::Sentence>(&interpreted)) {
            if (refusal->isEmpty())
                __builtin_trap();
            continue;
        }
        const surface::Command *command = &std::get<surface::Command>(interpreted);
        if (!message.address.startsWith(QLatin1String("/korvist/")) || !std::isfinite(command->number))
            __builtin_trap();
        switch (command->kind) {
        case Kind::Subscribe:
        case Kind::Unsubscribe:
            if (command->number != std::floor(command->number) || command->number < 1 || command->number > 65535)
                __builtin_trap();
            break;
        case Kind::Meters:
            if (command->number != std::floor(command->number) || command->number < 0 || command->number > 20)
                __builtin_trap();
            break;
        case Kind::Value:
        case Kind::Fader:
        case Kind::Toggle:
            if (command->control.isEmpty() || command->control.contains(QLatin1Char('/'))
                || (command->kind == Kind::Toggle) != message.arguments.empty())
                __builtin_trap();
            break;
        case Kind::PresetLoad:
            if (!command->text)
                __builtin_trap();
            break;
        case Kind::Refresh:
        case Kind::List:
        case Kind::Presets:
        case Kind::Ping:
            break;
        }
    }
    return 0;
}
