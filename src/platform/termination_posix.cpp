#include "termination.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

std::atomic<int> writeEnd {-1};
static_assert(std::atomic<int>::is_always_lock_free, "read from a signal handler");

void onTerminationSignal(int)
{
    const int savedErrno = errno;
    const char request = 1;
    // Non-blocking: with requests already queued, one more changes nothing.
    [[maybe_unused]] const ssize_t written = ::write(writeEnd.load(), &request, 1);
    errno = savedErrno;
}

int installHandlers()
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends) != 0)
        return -1;
    writeEnd.store(ends[1]);
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    return ends[0];
}

} // namespace

int terminationRequests()
{
    static const int readEnd = installHandlers();
    return readEnd;
}

void clearTerminationRequests()
{
    char requests[64];
    while (::read(terminationRequests(), requests, sizeof requests) > 0) {
    }
}

} // namespace platform
