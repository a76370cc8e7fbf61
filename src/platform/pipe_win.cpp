#include "pipe.h"
#include "widestring_win.h"
#include "win32errors.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
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
    std::mutex mutex;
    std::condition_variable waiterLeft;
    bool released = false;
    // The thread blocked in ConnectNamedPipe or ReadFile, kept so that release()
    // can cancel its call: a client that connects and never writes must not
    // hold the listener at shutdown either.
    HANDLE waitingThread = nullptr;

    // Runs one blocking call of the pipe where release() can cancel it.
    template<typename Call>
    bool cancellable(Call call, std::uint32_t &error)
    {
        const HANDLE self = OpenThread(THREAD_TERMINATE, FALSE, GetCurrentThreadId());
        if (!self)
            return succeeded(FALSE, error);
        {
            const std::lock_guard lock(mutex);
            if (released) {
                CloseHandle(self);
                error = kErrorOperationAborted;
                return false;
            }
            waitingThread = self;
        }
        const bool ok = succeeded(call(), error);
        bool wasReleased = false;
        {
            const std::lock_guard lock(mutex);
            waitingThread = nullptr;
            wasReleased = released;
        }
        waiterLeft.notify_all();
        CloseHandle(self);
        if (wasReleased) {
            error = kErrorOperationAborted;
            return false;
        }
        return ok;
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
    state->pipe = CreateNamedPipeW(state->path.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE,
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
        const bool connected = state->cancellable([this] { return ConnectNamedPipe(state->pipe, nullptr); }, error);
        // A client that came and left before the wait leaves the instance
        // closing (232), and every later wait would fail the same way: clear it
        // and wait for the next client.
        if (connected || error != kErrorNoData)
            return connected;
        DisconnectNamedPipe(state->pipe);
    }
}

bool PipeServer::readMessage(void *buffer, std::uint32_t capacity, std::uint32_t &bytesRead,
                             std::uint32_t &error)
{
    DWORD read = 0;
    const bool ok = state->cancellable([&] { return ReadFile(state->pipe, buffer, capacity, &read, nullptr); }, error);
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
    // CancelSynchronousIo ends the blocking ConnectNamedPipe or ReadFile without touching the
    // pipe's state, on Windows and under wine alike. A cancel that arrives after the
    // waiter registered but before it entered the call finds nothing to cancel and
    // is lost, so it is repeated until the waiter has left.
    std::unique_lock lock(state->mutex);
    state->released = true;
    while (state->waitingThread) {
        CancelSynchronousIo(state->waitingThread);
        state->waiterLeft.wait_for(lock, std::chrono::milliseconds(1));
    }
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
