#include "device_glitch.h"

#include <atomic>
#include <csignal>

namespace {

std::atomic<int> pendingGlitches {0};
static_assert(std::atomic<int>::is_always_lock_free, "touched from a signal handler");

void onGlitchSignal(int)
{
    pendingGlitches.fetch_add(1);
}

} // namespace

void installGlitchSignal()
{
    struct sigaction action {};
    action.sa_handler = onGlitchSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGUSR1, &action, nullptr);
}

std::uint32_t takeGlitches()
{
    return std::uint32_t(pendingGlitches.exchange(0));
}
