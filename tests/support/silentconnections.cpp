#include "silentconnections.h"

#include <cstring>
#include <sys/un.h>
#include <unistd.h>

int SilentConnections::open(const QString &socketPath, int count)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray path = socketPath.toLocal8Bit();
    std::memcpy(address.sun_path, path.constData(), std::min(sizeof address.sun_path - 1, std::size_t(path.size())));
    for (int i = 0; i < count; ++i) {
        const int fd = ::socket(AF_UNIX, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
            if (fd >= 0)
                ::close(fd);
            break;
        }
        fds.push_back(fd);
    }
    return int(fds.size());
}

void SilentConnections::closeAll()
{
    for (const int fd : fds)
        ::close(fd);
    fds.clear();
}
