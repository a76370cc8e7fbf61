#include "signal_release.h"

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

void SignalRelease::fire()
{
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (stopping)
            return;
        fired = true;
    }
    onSignal();
    woken.notify_all();
}
