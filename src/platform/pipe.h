#pragma once

#include "win32errors.h"

#include <cstdint>
#include <memory>
#include <string>

// Named pipes in message mode, "\\.\pipe\<name>" on Windows. Names are given
// without the "\\.\pipe\" prefix. Errors are Win32 numbers: 2 no such pipe,
// 4 out of descriptors (POSIX), 121 wait timed out, 231 pipe busy, 234 message longer than the buffer,
// 535 client connected before the server waited, 995 wait released.
namespace platform {

// How long a connected client may take to say its message: one that says
// nothing must not keep the one instance from the clients behind it.
inline constexpr std::uint32_t kMessageWaitMs = 1500;

// The server end: one instance, duplex, message mode, blocking, local clients only.
class PipeServer
{
public:
    explicit PipeServer(const std::string &name);
    ~PipeServer(); // disconnects and closes
    PipeServer(const PipeServer &) = delete;
    PipeServer &operator=(const PipeServer &) = delete;

    // Fails when the name is already served by another process (first instance only).
    bool create(std::uint32_t &error);
    bool isOpen() const;
    // Blocks until a client connects. A client that connected before the wait
    // gives false with 535, which callers treat as connected, as on Windows.
    // Running out of descriptors gives false with 4 once; the next waits then
    // go on at a slow pace until connections can be taken again.
    bool waitForClient(std::uint32_t &error);
    // One whole message. A longer one fails with 234 and is not taken in
    // silently; none within timeoutMs fails with 121.
    bool readMessage(void *buffer, std::uint32_t capacity, std::uint32_t &bytesRead, std::uint32_t &error,
                     std::uint32_t timeoutMs = kMessageWaitMs);
    void disconnect();
    // From any thread: ends a pending waitForClient or readMessage (false, 995),
    // and every later one.
    void release();

private:
    struct State;
    std::unique_ptr<State> state;
};

// The client end, open for one exchange.
class PipeClient
{
public:
    PipeClient() = default;
    ~PipeClient(); // closes
    PipeClient(const PipeClient &) = delete;
    PipeClient &operator=(const PipeClient &) = delete;

    // 2 when no server serves the name, 231 while its one instance serves another client.
    bool open(const std::string &name, std::uint32_t &error);
    bool setMessageMode(std::uint32_t &error);
    bool write(const void *data, std::uint32_t size, std::uint32_t &error);
    void close();

    // Waits up to timeoutMs for a busy pipe to become free: 121 on time-out, 2 when absent.
    static bool waitForPipe(const std::string &name, std::uint32_t timeoutMs, std::uint32_t &error);

private:
    std::intptr_t handle = -1;
};

} // namespace platform
