// The client end of the POSIX pipe stand-in (docs/pipes-posix.md).

#include "pipe.h"
#include "pipe_posix_claim.h"
#include "pipe_posix_naming.h"
#include "unixsocket_posix.h"
#include "win32errors.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>

namespace platform {

using namespace posix;

namespace {

constexpr int kWaitPollMs = 10;
// How long a client that holds the instance keeps knocking on a full queue:
// the server empties it whenever it waits for a client, and a flood of
// connections must not turn the pause between two waits into a busy pipe.
constexpr auto kFullQueueWait = std::chrono::milliseconds(150);
constexpr auto kFullQueuePoll = std::chrono::milliseconds(1);
// A server that stops reading must not freeze a writer for good.
constexpr int kWriteTimeoutSeconds = 5;

} // namespace

PipeClient::~PipeClient()
{
    close();
}

bool PipeClient::open(const std::string &name, std::uint32_t &error)
{
    close();
    const PipeEndpoint paths = pipeEndpoint(name);
    int lockFd = paths.valid() ? ::open(paths.lockPath.c_str(), O_RDWR | O_CLOEXEC) : -1;
    if (lockFd < 0 || !lockedElsewhere(lockFd, kServerByte)) {
        closeFd(lockFd);
        error = kErrorFileNotFound;
        return false;
    }
    if (!lockByte(lockFd, kInstanceByte)) {
        error = (errno == EAGAIN || errno == EACCES) ? kErrorPipeBusy : kErrorGenFailure;
        closeFd(lockFd);
        return false;
    }
    const sockaddr_un address = socketAddress(paths.socketPath);
    // Non-blocking while connecting: a server whose queue is full is busy, as
    // Windows answers at once, and must not hold the caller.
    int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const bool connected =
        fd >= 0 && connectRetrying(fd, address, std::chrono::steady_clock::now() + kFullQueueWait, kFullQueuePoll);
    const bool queueFull = !connected && fd >= 0 && errno == EAGAIN;
    const timeval timeout {kWriteTimeoutSeconds, 0};
    if (!connected || !sendClaim(fd, lockFd) || ::fcntl(fd, F_SETFL, 0) != 0
        || ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout) != 0) {
        closeFd(fd);
        closeFd(lockFd);
        error = queueFull ? kErrorPipeBusy : kErrorFileNotFound;
        return false;
    }
    // The claim now travels with the connection; the server lets it go when it disconnects.
    closeFd(lockFd);
    handle = fd;
    error = kErrorSuccess;
    return true;
}

bool PipeClient::setMessageMode(std::uint32_t &error)
{
    // A SOCK_SEQPACKET socket has no other mode.
    error = handle < 0 ? kErrorInvalidHandle : kErrorSuccess;
    return handle >= 0;
}

bool PipeClient::write(const void *data, std::uint32_t size, std::uint32_t &error)
{
    if (handle < 0) {
        error = kErrorInvalidHandle;
        return false;
    }
    char prefix = kMessagePrefix;
    iovec parts[] = {{&prefix, 1}, {const_cast<void *>(data), size}};
    msghdr message {};
    message.msg_iov = parts;
    message.msg_iovlen = 2;
    const ssize_t sent = ::sendmsg(int(handle), &message, MSG_NOSIGNAL);
    if (sent == ssize_t(size) + 1) {
        error = kErrorSuccess;
        return true;
    }
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        error = kErrorSemTimeout;
    else if (sent < 0 && (errno == EPIPE || errno == ECONNRESET || errno == ENOTCONN))
        error = kErrorNoData;
    else
        error = kErrorGenFailure;
    return false;
}

void PipeClient::close()
{
    if (handle >= 0)
        ::close(int(handle));
    handle = -1;
}

bool PipeClient::waitForPipe(const std::string &name, std::uint32_t timeoutMs, std::uint32_t &error)
{
    const PipeEndpoint paths = pipeEndpoint(name);
    int lockFd = paths.valid() ? ::open(paths.lockPath.c_str(), O_RDWR | O_CLOEXEC) : -1;
    if (lockFd < 0) {
        error = kErrorFileNotFound;
        return false;
    }
    // WaitNamedPipe returns when the server calls ConnectNamedPipe, even if
    // another client then takes the instance first: hence the counter.
    const std::uint64_t generation = readGeneration(lockFd);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (!lockedElsewhere(lockFd, kServerByte)) {
            error = kErrorFileNotFound;
            break;
        }
        if (!lockedElsewhere(lockFd, kInstanceByte) || readGeneration(lockFd) != generation) {
            error = kErrorSuccess;
            break;
        }
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) {
            error = kErrorSemTimeout;
            break;
        }
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            left, std::chrono::milliseconds(kWaitPollMs)));
    }
    closeFd(lockFd);
    return error == kErrorSuccess;
}

} // namespace platform
