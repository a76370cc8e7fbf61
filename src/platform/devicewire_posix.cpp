#include "devicewire_posix.h"

#include <cerrno>
#include <sys/socket.h>

namespace platform::posix::wire {

bool sendAll(int fd, const void *data, std::size_t size)
{
    auto *bytes = static_cast<const std::uint8_t *>(data);
    while (size > 0) {
        // MSG_NOSIGNAL: a peer that went away is an error, not a SIGPIPE.
        const ssize_t sent = ::send(fd, bytes, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        bytes += sent;
        size -= std::size_t(sent);
    }
    return true;
}

bool receiveAll(int fd, void *data, std::size_t size)
{
    auto *bytes = static_cast<std::uint8_t *>(data);
    while (size > 0) {
        const ssize_t got = ::recv(fd, bytes, size, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        bytes += got;
        size -= std::size_t(got);
    }
    return true;
}

} // namespace platform::posix::wire
