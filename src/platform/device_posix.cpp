#include "device.h"
#include "devicewire_posix.h"
#include "runtimedir_posix.h"
#include "unixsocket_posix.h"
#include "win32errors.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <dirent.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// A device must never hold the GUI thread for long: opening waits this long
// for a peer that does not accept.
constexpr auto kOpenTimeout = std::chrono::milliseconds(500);
// How often a full accept queue is tried again while opening.
constexpr auto kConnectRetry = std::chrono::milliseconds(10);

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

// After a broken or timed-out exchange the stream is out of step: the peer is
// let go at once, and every later request on this handle fails at once
// instead of waiting again or reading stale bytes. The descriptor itself stays
// open until closeDevice, so its number cannot pass to another open meanwhile.
// A deadline that passed is a timeout, as on Windows; anything else a loss.
bool dropConnection(int fd, Clock::time_point deadline, std::uint32_t &error)
{
    ::shutdown(fd, SHUT_RDWR);
    error = Clock::now() >= deadline ? kErrorSemTimeout : kErrorDeviceNotConnected;
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
    if (!posix::toSocketAddress(path, address)) {
        error = kErrorFileNotFound;
        return kInvalidHandle;
    }

    // Non-blocking for good: every wait on this socket is bounded by a deadline.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        error = kErrorGenFailure;
        return kInvalidHandle;
    }
    if (!posix::connectRetrying(fd, address, Clock::now() + kOpenTimeout, kConnectRetry)) {
        error = errno == EAGAIN ? kErrorSemTimeout : errorFromConnect(errno);
        ::close(fd);
        return kInvalidHandle;
    }
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
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kRequestTimeoutMs);
    std::uint8_t header[posix::wire::kRequestHeaderSize];
    posix::wire::putU32(header, code);
    posix::wire::putU32(header + 4, inSize);
    posix::wire::putU32(header + 8, outSize);
    std::uint8_t reply[posix::wire::kReplyHeaderSize];
    if (!posix::wire::sendAll(fd, header, sizeof header, deadline) || !posix::wire::sendAll(fd, in, inSize, deadline)
        || !posix::wire::receiveAll(fd, reply, sizeof reply, deadline)) {
        return dropConnection(fd, deadline, error);
    }
    const std::uint32_t status = posix::wire::getU32(reply);
    const std::uint32_t returned = posix::wire::getU32(reply + 4);
    // A peer that breaks the protocol is as good as gone.
    if (returned > outSize)
        return dropConnection(fd, deadline, error);
    // Taken in aside: a failed call, or one whose reply breaks off, leaves the caller's buffer as it was.
    std::vector<std::uint8_t> bytes(returned);
    if (!posix::wire::receiveAll(fd, bytes.data(), returned, deadline))
        return dropConnection(fd, deadline, error);
    error = status;
    if (status != kErrorSuccess)
        return false;
    std::copy(bytes.begin(), bytes.end(), static_cast<std::uint8_t *>(out));
    return true;
}

void closeDevice(Handle handle)
{
    if (handle != kInvalidHandle)
        ::close(int(handle));
}

} // namespace platform
