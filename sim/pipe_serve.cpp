#include "pipe_serve.h"

#include "console.h"
#include "signal_release.h"

#include "pipe.h"
#include "win32errors.h"

#include <cstdio>

namespace {

// As large as the pipe buffers the product's own server asks for.
constexpr std::uint32_t kMessageCapacity = 65536;
constexpr std::chrono::milliseconds kBusyHold {200};

int cannotServe(const char *program, const std::string &name, std::uint32_t error)
{
    std::fprintf(stderr, "korvist-sim %s: cannot serve %s: error %u%s\n", program, name.c_str(), unsigned(error),
                 error == platform::kErrorAccessDenied ? " (another process serves it)" : "");
    return 1;
}

// Running out of descriptors is told once and waited out; anything else but a client ends the serving.
bool connected(platform::PipeServer &server, std::uint32_t &error)
{
    for (;;) {
        if (server.waitForClient(error) || error == platform::kErrorPipeConnected)
            return true;
        if (error != platform::kErrorTooManyOpenFiles)
            return false;
        say("out of descriptors: clients wait until some are free");
    }
}

} // namespace

int servePipe(const char *program, const std::string &name, const MessageText &describe)
{
    platform::PipeServer server(name);
    SignalRelease signals([&server] { server.release(); });
    std::uint32_t error = 0;
    if (!server.create(error))
        return cannotServe(program, name, error);
    say("ready %s", name.c_str());
    std::vector<std::uint8_t> buffer(kMessageCapacity);
    while (connected(server, error)) {
        std::uint32_t length = 0;
        if (server.readMessage(buffer.data(), kMessageCapacity, length, error)) {
            const std::vector<std::uint8_t> message(buffer.begin(), buffer.begin() + length);
            say("message %u bytes: %s", unsigned(length), describe(message).c_str());
        } else if (error != platform::kErrorOperationAborted) {
            say("message refused: error %u", unsigned(error));
        }
        server.disconnect();
    }
    say("stopped");
    return 0;
}

int serveBusy(const char *program, const std::string &name)
{
    platform::PipeServer server(name);
    SignalRelease signals([&server] { server.release(); });
    std::uint32_t error = 0;
    if (!server.create(error))
        return cannotServe(program, name, error);
    say("ready %s (kept busy)", name.c_str());
    for (;;) {
        // Taken before the server waits, so the instance is never free for a caller.
        platform::PipeClient holder;
        holder.open(name, error);
        if (!connected(server, error) || signals.sleepFor(kBusyHold))
            break;
        server.disconnect();
    }
    say("stopped");
    return 0;
}
