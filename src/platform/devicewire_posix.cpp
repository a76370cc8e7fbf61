#include "devicewire_posix.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

namespace platform::posix::wire {

namespace {

// Waits until the descriptor is ready for the transfer; false once the deadline has passed.
bool waitReady(int fd, short events, Deadline deadline)
{
    for (;;) {
        int timeoutMs = -1;
        if (deadline != kNoDeadline) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            timeoutMs = int(std::min<std::chrono::milliseconds::rep>(left.count(), 60'000));
        }
        pollfd watched {fd, events, 0};
        const int ready = ::poll(&watched, 1, timeoutMs);
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

bool retryable(int err)
{
    return err == EINTR || err == EAGAIN || err == EWOULDBLOCK;
}

} // namespace

bool sendAll(int fd, const void *data, std::size_t size, Deadline deadline)
{
    auto *bytes = static_cast<const std::uint8_t *>(data);
    while (size > 0) {
        // MSG_NOSIGNAL: a peer that went away is an error, not a SIGPIPE.
        const ssize_t sent = ::send(fd, bytes, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && retryable(errno)) {
            if (!waitReady(fd, POLLOUT, deadline))
                return false;
            continue;
        }
        if (sent <= 0)
            return false;
        bytes += sent;
        size -= std::size_t(sent);
    }
    return true;
}

bool receiveAll(int fd, void *data, std::size_t size, Deadline deadline)
{
    auto *bytes = static_cast<std::uint8_t *>(data);
    while (size > 0) {
        const ssize_t got = ::recv(fd, bytes, size, MSG_DONTWAIT);
        if (got < 0 && retryable(errno)) {
            if (!waitReady(fd, POLLIN, deadline))
                return false;
            continue;
        }
        if (got <= 0)
            return false;
        bytes += got;
        size -= std::size_t(got);
    }
    return true;
}

} // namespace platform::posix::wire
