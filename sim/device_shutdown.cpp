#include "device_shutdown.h"

namespace {

volatile std::sig_atomic_t shutdownRequested = 0;

void onShutdownSignal(int)
{
    shutdownRequested = 1;
}

} // namespace

ShutdownSignals::ShutdownSignals()
{
    sigset_t held;
    sigemptyset(&held);
    sigaddset(&held, SIGINT);
    sigaddset(&held, SIGTERM);
    sigprocmask(SIG_BLOCK, &held, &unblocked);
    sigdelset(&unblocked, SIGINT);
    sigdelset(&unblocked, SIGTERM);

    struct sigaction action {};
    action.sa_handler = onShutdownSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A client that vanishes while its reply is written is a closed connection, not a crash.
    std::signal(SIGPIPE, SIG_IGN);
}

bool ShutdownSignals::requested() const
{
    return shutdownRequested != 0;
}
