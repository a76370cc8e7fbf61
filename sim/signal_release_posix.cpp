#include "signal_release.h"

#include <csignal>
#include <pthread.h>

namespace {

sigset_t endSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

} // namespace

SignalRelease::SignalRelease(std::function<void()> callback)
    : onSignal(std::move(callback))
{
    const sigset_t signals = endSignals();
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

void SignalRelease::watch()
{
    const sigset_t signals = endSignals();
    int signal = 0;
    sigwait(&signals, &signal);
    fire();
}
