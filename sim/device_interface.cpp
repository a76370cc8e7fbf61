#include "device_interface.h"

#include "deviceclass.h"
#include "runtimedir_posix.h"
#include "unixsocket_posix.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <string_view>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

std::string deviceDir()
{
    return platform::posix::deviceClassDir(platform::guidToString(deviceclass::kInterfaceClass));
}

// An entry named by a simulator that still runs belongs to it, even when it
// refuses opens on purpose (--unopenable); probing it would also cost a live
// simulator a connection number in its journal.
bool ownedByLiveProcess(std::string_view name)
{
    const std::size_t dash = name.rfind('-');
    if (dash == std::string_view::npos || dash + 1 == name.size())
        return false;
    pid_t pid = 0;
    for (const char digit : name.substr(dash + 1)) {
        if (digit < '0' || digit > '9' || pid > 99999999)
            return false;
        pid = pid * 10 + (digit - '0');
    }
    return pid > 0 && pid != ::getpid() && (::kill(pid, 0) == 0 || errno == EPERM);
}

bool refusesConnections(const std::string &path)
{
    sockaddr_un address;
    if (!platform::posix::toSocketAddress(path, address))
        return false;
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return false;
    const bool refused = ::connect(probe, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
                         && errno == ECONNREFUSED;
    ::close(probe);
    return refused;
}

// A simulator that was killed leaves its socket behind; as the first in sorted
// order it would shadow the live device from the product's discovery.
void removeStaleEntries(const std::string &dir)
{
    DIR *listing = ::opendir(dir.c_str());
    if (!listing)
        return;
    while (const dirent *entry = ::readdir(listing)) {
        const std::string path = dir + '/' + entry->d_name;
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode) && !ownedByLiveProcess(entry->d_name)
            && refusesConnections(path)) {
            ::unlink(path.c_str());
        }
    }
    ::closedir(listing);
}

} // namespace

DeviceInterface::DeviceInterface(const std::string &model, bool listen)
    : listening(listen)
{
    const std::string dir = deviceDir();
    if (dir.empty()) {
        error = "cannot create the device class directory";
        return;
    }
    removeStaleEntries(dir);
    socketPath = dir + '/' + model + '-' + std::to_string(::getpid());
    sockaddr_un address;
    if (!platform::posix::toSocketAddress(socketPath, address)) {
        error = "socket path too long: " + socketPath;
        return;
    }
    ::unlink(socketPath.c_str());
    fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
        || (listening && ::listen(fd, SOMAXCONN) != 0)) {
        error = socketPath + ": " + std::strerror(errno);
        if (fd >= 0) {
            ::unlink(socketPath.c_str());
            ::close(fd);
        }
        fd = -1;
    }
}

DeviceInterface::~DeviceInterface()
{
    withdraw();
}

void DeviceInterface::withdraw()
{
    if (fd < 0)
        return;
    ::unlink(socketPath.c_str());
    ::close(fd);
    fd = -1;
}
