#include "localchannel.h"

#include "pipe_posix_claim.h"
#include "runtimedir_posix.h"
#include "win32errors.h"

#include <cerrno>
#include <poll.h>

namespace platform {

std::string localChannelName(const std::string &base)
{
    const std::string dir = posix::runtimeDir();
    return dir.empty() ? std::string() : dir + '/' + base;
}

LocalChannelClaim::~LocalChannelClaim() = default;

bool LocalChannelClaim::take(const std::string &, std::uint32_t &error)
{
    error = kErrorSuccess;
    return true;
}

bool localChannelServedBySameUser(std::intptr_t connection)
{
    return posix::ownUser(int(connection));
}

bool localChannelClientWaiting(std::intptr_t connection)
{
    if (connection < 0)
        return false;
    // A peer that closed shows POLLRDHUP even while what it sent is still unread.
    pollfd peer {int(connection), POLLRDHUP, 0};
    int ready = 0;
    do
        ready = ::poll(&peer, 1, 0);
    while (ready < 0 && errno == EINTR);
    return ready >= 0 && !(peer.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL));
}

} // namespace platform
