#include "pipe.h"
#include "widestring_win.h"
#include "win32errors.h"

#include <windows.h>

namespace platform {

namespace {

constexpr DWORD kBufferSize = 65536;
constexpr DWORD kDefaultTimeoutMs = 300;
constexpr std::intptr_t kNoHandle = -1;

std::wstring pipePath(const std::string &name)
{
    return L"\\\\.\\pipe\\" + win::toUtf16(name);
}

HANDLE toHandle(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

bool succeeded(BOOL result, std::uint32_t &error)
{
    error = result ? kErrorSuccess : GetLastError();
    return result;
}

} // namespace

struct PipeServer::State
{
    std::wstring path;
    HANDLE pipe = INVALID_HANDLE_VALUE;
    // Manual-reset: once set, every wait ends at once, now and later.
    HANDLE releaseEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE ioEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);

    ~State()
    {
        if (ioEvent)
            CloseHandle(ioEvent);
        if (releaseEvent)
            CloseHandle(releaseEvent);
    }

    bool isReleased() const { return WaitForSingleObject(releaseEvent, 0) == WAIT_OBJECT_0; }

    // Starts one overlapped call and waits for it, for release() or for the
    // time-out, whichever comes first. A call that has not finished is
    // cancelled and waited out, so the caller's buffer is free again on return.
    template<typename Call>
    bool overlapped(Call start, DWORD timeoutMs, DWORD &transferred, std::uint32_t &error)
    {
        transferred = 0;
        if (isReleased()) {
            error = kErrorOperationAborted;
            return false;
        }
        OVERLAPPED io {};
        io.hEvent = ioEvent;
        ResetEvent(ioEvent);
        if (!start(&io)) {
            error = GetLastError();
            // A message longer than the buffer has filled it all the same.
            if (error == ERROR_MORE_DATA)
                GetOverlappedResult(pipe, &io, &transferred, TRUE);
            if (error != ERROR_IO_PENDING)
                return false;
        }
        const HANDLE events[] = {ioEvent, releaseEvent};
        const DWORD woken = WaitForMultipleObjects(2, events, FALSE, timeoutMs);
        if (woken != WAIT_OBJECT_0)
            CancelIoEx(pipe, &io);
        const bool finished = succeeded(GetOverlappedResult(pipe, &io, &transferred, TRUE), error);
        if (woken == WAIT_OBJECT_0 || (finished && woken == WAIT_TIMEOUT))
            return finished;
        error = woken == WAIT_TIMEOUT ? kErrorSemTimeout : kErrorOperationAborted;
        return false;
    }
};

PipeServer::PipeServer(const std::string &name) : state(std::make_unique<State>())
{
    state->path = pipePath(name);
}

PipeServer::~PipeServer()
{
    if (!isOpen())
        return;
    DisconnectNamedPipe(state->pipe);
    CloseHandle(state->pipe);
}

bool PipeServer::create(std::uint32_t &error)
{
    // FILE_FLAG_FIRST_PIPE_INSTANCE keeps another process from serving the name
    // first and receiving our clients; remote clients have no business here.
    // Overlapped, so that every wait has an end: release() at shutdown, and a
    // time-out for a client that connects and says nothing.
    // Without its events every wait would fail as if released, and the server would end unheard.
    if (!state->releaseEvent || !state->ioEvent) {
        error = kErrorGenFailure;
        return false;
    }
    state->pipe = CreateNamedPipeW(state->path.c_str(),
                                   PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
                                   PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT
                                       | PIPE_REJECT_REMOTE_CLIENTS,
                                   PIPE_UNLIMITED_INSTANCES, kBufferSize, kBufferSize, kDefaultTimeoutMs,
                                   nullptr);
    return succeeded(state->pipe != INVALID_HANDLE_VALUE, error);
}

bool PipeServer::isOpen() const
{
    return state->pipe != INVALID_HANDLE_VALUE;
}

bool PipeServer::waitForClient(std::uint32_t &error)
{
    for (;;) {
        DWORD unused = 0;
        const bool connected = state->overlapped(
            [this](OVERLAPPED *io) { return ConnectNamedPipe(state->pipe, io); }, INFINITE, unused, error);
        // A client that came and left before the wait leaves the instance
        // closing (232), and every later wait would fail the same way: clear it
        // and wait for the next client.
        if (connected || error != kErrorNoData)
            return connected;
        DisconnectNamedPipe(state->pipe);
    }
}

bool PipeServer::readMessage(void *buffer, std::uint32_t capacity, std::uint32_t &bytesRead,
                             std::uint32_t &error, std::uint32_t timeoutMs)
{
    DWORD read = 0;
    const bool ok = state->overlapped(
        [&](OVERLAPPED *io) { return ReadFile(state->pipe, buffer, capacity, nullptr, io); }, timeoutMs, read, error);
    bytesRead = read;
    return ok;
}

void PipeServer::disconnect()
{
    if (isOpen())
        DisconnectNamedPipe(state->pipe);
}

void PipeServer::release()
{
    SetEvent(state->releaseEvent);
}

PipeClient::~PipeClient()
{
    close();
}

bool PipeClient::open(const std::string &name, std::uint32_t &error)
{
    close();
    const HANDLE pipe =
        CreateFileW(pipePath(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (!succeeded(pipe != INVALID_HANDLE_VALUE, error))
        return false;
    handle = reinterpret_cast<std::intptr_t>(pipe);
    return true;
}

bool PipeClient::setMessageMode(std::uint32_t &error)
{
    DWORD mode = PIPE_READMODE_MESSAGE;
    return succeeded(SetNamedPipeHandleState(toHandle(handle), &mode, nullptr, nullptr), error);
}

bool PipeClient::write(const void *data, std::uint32_t size, std::uint32_t &error)
{
    DWORD written = 0;
    return succeeded(WriteFile(toHandle(handle), data, size, &written, nullptr), error);
}

void PipeClient::close()
{
    if (handle == kNoHandle)
        return;
    CloseHandle(toHandle(handle));
    handle = kNoHandle;
}

bool PipeClient::waitForPipe(const std::string &name, std::uint32_t timeoutMs, std::uint32_t &error)
{
    return succeeded(WaitNamedPipeW(pipePath(name).c_str(), timeoutMs), error);
}

} // namespace platform
