#include "device.h"
#include "devicewire_posix.h"
#include "runtimedir_posix.h"
#include "win32errors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// A device that stops answering must not freeze the GUI thread for good.
constexpr int kReplyTimeoutSeconds = 5;

std::vector<std::string> listSockets(const std::string &dir)
{
    std::vector<std::string> names;
    DIR *listing = ::opendir(dir.c_str());
    if (!listing)
        return names;
    while (const dirent *entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        struct stat info {};
        if (::stat((dir + '/' + name).c_str(), &info) == 0 && S_ISSOCK(info.st_mode))
            names.push_back(name);
    }
    ::closedir(listing);
    std::sort(names.begin(), names.end());
    return names;
}

std::uint32_t errorFromConnect(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return kErrorFileNotFound;
    case EACCES:
    case EPERM:
        return kErrorAccessDenied;
    default:
        return kErrorDeviceNotConnected;
    }
}

// After a broken or timed-out exchange the stream is out of step: every later
// request on this handle must fail cleanly instead of reading stale bytes.
bool dropConnection(int fd, std::uint32_t &error)
{
    ::shutdown(fd, SHUT_RDWR);
    error = kErrorDeviceNotConnected;
    return false;
}

} // namespace

std::optional<std::string> findDeviceInterface(const Guid &interfaceClass, std::uint32_t &error)
{
    const std::string dir = posix::deviceClassDir(guidToString(interfaceClass));
    const std::vector<std::string> names = dir.empty() ? std::vector<std::string>() : listSockets(dir);
    if (names.empty()) {
        error = kErrorNoMoreItems;
        return std::nullopt;
    }
    error = kErrorSuccess;
    return dir + '/' + names.front();
}

Handle openDevice(const std::string &path, std::uint32_t &error)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        error = kErrorFileNotFound;
        return kInvalidHandle;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = kErrorGenFailure;
        return kInvalidHandle;
    }
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        error = errorFromConnect(errno);
        ::close(fd);
        return kInvalidHandle;
    }
    timeval timeout {kReplyTimeoutSeconds, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    error = kErrorSuccess;
    return fd;
}

bool ioControl(Handle handle, std::uint32_t code, const void *in, std::uint32_t inSize, void *out,
               std::uint32_t outSize, std::uint32_t &error)
{
    if (handle == kInvalidHandle || (inSize && !in) || (outSize && !out)) {
        error = kErrorInvalidHandle;
        return false;
    }
    const int fd = int(handle);
    std::uint8_t header[posix::wire::kRequestHeaderSize];
    posix::wire::putU32(header, code);
    posix::wire::putU32(header + 4, inSize);
    posix::wire::putU32(header + 8, outSize);
    std::uint8_t reply[posix::wire::kReplyHeaderSize];
    if (!posix::wire::sendAll(fd, header, sizeof header) || !posix::wire::sendAll(fd, in, inSize)
        || !posix::wire::receiveAll(fd, reply, sizeof reply)) {
        return dropConnection(fd, error);
    }
    const std::uint32_t status = posix::wire::getU32(reply);
    const std::uint32_t returned = posix::wire::getU32(reply + 4);
    // A peer that breaks the protocol is as good as gone.
    if (returned > outSize || !posix::wire::receiveAll(fd, out, returned))
        return dropConnection(fd, error);
    error = status;
    return status == kErrorSuccess;
}

void closeDevice(Handle handle)
{
    if (handle != kInvalidHandle)
        ::close(int(handle));
}

} // namespace platform
