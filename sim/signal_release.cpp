#include "signal_release.h"

#include <pthread.h>

SignalRelease::SignalRelease(std::function<void()> callback)
    : onSignal(std::move(callback))
{
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    watcher = std::thread(&SignalRelease::watch, this);
}

SignalRelease::~SignalRelease()
{
    {
        const std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    // Ends the watcher's sigwait; it sees stopping and calls nothing.
    pthread_kill(watcher.native_handle(), SIGTERM);
    watcher.join();
}

bool SignalRelease::signalled()
{
    const std::lock_guard<std::mutex> lock(mutex);
    return fired;
}

bool SignalRelease::sleepFor(std::chrono::milliseconds duration)
{
    std::unique_lock<std::mutex> lock(mutex);
    return woken.wait_for(lock, duration, [this] { return fired; });
}

void SignalRelease::watch()
{
    int signal = 0;
    sigwait(&signals, &signal);
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (stopping)
            return;
        fired = true;
    }
    onSignal();
    woken.notify_all();
}
