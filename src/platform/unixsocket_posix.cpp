#include "unixsocket_posix.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <thread>

namespace platform::posix {

bool toSocketAddress(const std::string &path, sockaddr_un &address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool connectRetrying(int fd, const sockaddr_un &address, std::chrono::steady_clock::time_point deadline,
                     std::chrono::milliseconds retry)
{
    for (;;) {
        if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN || std::chrono::steady_clock::now() + retry > deadline)
            return false;
        std::this_thread::sleep_for(retry);
    }
}

} // namespace platform::posix
