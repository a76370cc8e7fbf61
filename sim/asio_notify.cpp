#include "pipe_main.h"

#include "bytes_text.h"
#include "console.h"

#include "pipe.h"
#include "win32errors.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace {

const char *const kUsage = "usage: korvist-sim asio-notify --buffer-size N [--open-window]\n"
                           "       korvist-sim asio-notify --raw HEX\n";
const std::string kPipe = "KorvistASIOToPannel";
// The panel's listener may be busy with another notice for a moment.
constexpr int kOpenAttempts = 3;
constexpr std::uint32_t kBusyWaitMs = 2000;

std::optional<std::uint32_t> parseNumber(const char *text)
{
    std::uint32_t value = 0;
    const char *end = text + std::strlen(text);
    const auto [at, failure] = std::from_chars(text, end, value);
    return failure == std::errc() && at == end && at != text ? std::optional(value) : std::nullopt;
}

// value0, bufferSize, value2, value3, openWindow: five uint32 LE.
std::vector<std::uint8_t> notice(std::uint32_t bufferSize, bool openWindow)
{
    const std::uint32_t fields[] = {0, bufferSize, 0, 0, openWindow ? 1u : 0u};
    std::vector<std::uint8_t> bytes;
    for (const std::uint32_t field : fields)
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(std::uint8_t(field >> shift));
    return bytes;
}

std::optional<std::vector<std::uint8_t>> parseMessage(int argc, char **argv)
{
    std::optional<std::uint32_t> bufferSize;
    std::optional<std::vector<std::uint8_t>> raw;
    bool openWindow = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--open-window")
            openWindow = true;
        else if (option == "--buffer-size" && i + 1 < argc && !bufferSize)
            bufferSize = parseNumber(argv[++i]);
        else if (option == "--raw" && i + 1 < argc && !raw)
            raw = fromHex(argv[++i]);
        else
            return std::nullopt;
    }
    if (raw && !bufferSize && !openWindow)
        return raw;
    if (bufferSize && !raw)
        return notice(*bufferSize, openWindow);
    return std::nullopt;
}

int fail(const char *what, std::uint32_t error)
{
    std::fprintf(stderr, "korvist-sim asio-notify: cannot %s %s: error %u\n", what, kPipe.c_str(), unsigned(error));
    return 1;
}

} // namespace

int asioNotifyMain(int argc, char **argv)
{
    const std::optional<std::vector<std::uint8_t>> message = parseMessage(argc, argv);
    if (!message) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    platform::PipeClient pipe;
    std::uint32_t error = 0;
    for (int attempt = 1; !pipe.open(kPipe, error); ++attempt) {
        if (error != platform::kErrorPipeBusy || attempt == kOpenAttempts
            || !platform::PipeClient::waitForPipe(kPipe, kBusyWaitMs, error)) {
            return fail("open", error);
        }
    }
    if (!pipe.write(message->data(), std::uint32_t(message->size()), error))
        return fail("write to", error);
    say("sent %zu bytes: %s", message->size(), toHex(*message).c_str());
    return 0;
}
