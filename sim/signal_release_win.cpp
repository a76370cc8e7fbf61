#include "signal_release.h"

#include <windows.h>

namespace {

// Windows runs a console control handler on a thread of its own; it only
// wakes the watcher, which does the work as on POSIX.
HANDLE endRequested = nullptr;

BOOL WINAPI onConsoleControl(DWORD)
{
    SetEvent(endRequested);
    return TRUE;
}

} // namespace

SignalRelease::SignalRelease(std::function<void()> callback)
    : onSignal(std::move(callback))
{
    endRequested = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
    watcher = std::thread(&SignalRelease::watch, this);
}

SignalRelease::~SignalRelease()
{
    {
        const std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    SetEvent(endRequested);
    watcher.join();
    SetConsoleCtrlHandler(onConsoleControl, FALSE);
    CloseHandle(endRequested);
    endRequested = nullptr;
}

void SignalRelease::watch()
{
    WaitForSingleObject(endRequested, INFINITE);
    fire();
}
