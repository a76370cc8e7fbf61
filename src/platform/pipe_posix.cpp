// The POSIX stand-in for Windows message-mode named pipes.
//
// "\\.\pipe\<name>" is the SOCK_SEQPACKET socket pipes/<name> in the private
// runtime directory, so message boundaries survive. Beside it, pipes/.<name>.lock
// carries what a socket cannot tell a client, as open-file-description locks
// (they belong to an open file, not to a process, so two ends in one process
// still exclude each other, and they pass through SCM_RIGHTS):
//   byte 0    held by the serving PipeServer for its whole life: a second
//             server is refused (first instance), and a socket whose server is
//             gone is stale;
//   byte 1    the one instance: a client takes it before it connects and hands
//             the locked file to the server inside its first message, so the
//             instance stays taken from the client's open until the server
//             disconnects, as on Windows; a client that finds it taken gets 231;
//   bytes 8+  a counter the server bumps whenever it starts waiting for a
//             client, which ends a waitForPipe (WaitNamedPipe returns when the
//             server calls ConnectNamedPipe, even if another client then takes
//             the instance first).
// Lock files stay in place: removing one while another process has it open
// would let two servers lock two different files.
//
// Unlike Windows, a client may connect while the server is between a
// disconnect and its next wait; that client is then served as one that came
// first (535). A message longer than the reader's buffer fails with 234 after
// filling the buffer, and its rest is dropped rather than kept for a next read.
// release() ends a pending readMessage as well as a pending waitForClient, so
// a silent client cannot hold up a shutdown. Connections wait for their claim
// side by side, so a silent one cannot hold up the client behind it either. When
// the process runs out of descriptors, waitForClient reports it once (4) and
// then keeps trying at a slow pace until a connection can be taken again. A
// client that finds the server's queue full is told the pipe is busy (231)
// instead of waiting for room. A connection from another user is
// dropped unheard, should one ever get past the private directory.

#include "pipe.h"
#include "runtimedir_posix.h"
#include "win32errors.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kErrorBrokenPipe = 109;
constexpr std::uint32_t kErrorInvalidName = 123;
constexpr std::uint32_t kErrorPipeNotConnected = 233;

constexpr off_t kServerByte = 0;
constexpr off_t kInstanceByte = 1;
constexpr off_t kGenerationOffset = 8;

constexpr char kClaimMarker = 'K';
// Every message travels behind this byte, so that an empty one is not mistaken
// for the end of the connection (recv returns 0 for both).
constexpr char kMessagePrefix = 'M';
// A client sends its claim right after connecting; one that does not is not a pipe client.
constexpr auto kClaimTimeout = std::chrono::milliseconds(2000);
// Connections waiting for their claim at once; beyond it the oldest is let go.
constexpr std::size_t kMaxUnclaimed = 64;
// How long the server stops taking connections after running out of descriptors.
constexpr auto kAcceptBackoff = std::chrono::milliseconds(250);
constexpr int kBacklog = 8;
constexpr int kWaitPollMs = 10;
// A server that stops reading must not freeze a writer for good.
constexpr int kWriteTimeoutSeconds = 5;

struct Endpoint
{
    std::string socketPath;
    std::string lockPath;
    bool valid() const { return !socketPath.empty(); }
};

Endpoint endpoint(const std::string &name)
{
    // A leading dot would reach another pipe's lock file.
    if (name.empty() || name.front() == '.' || name.find('/') != std::string::npos)
        return {};
    const std::string socketPath = posix::pipeSocketPath(name);
    if (socketPath.empty() || socketPath.size() >= sizeof(sockaddr_un::sun_path))
        return {};
    const std::string dir = socketPath.substr(0, socketPath.size() - name.size());
    return {socketPath, dir + '.' + name + ".lock"};
}

sockaddr_un addressOf(const std::string &path)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

struct flock byteLock(off_t at)
{
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = at;
    lock.l_len = 1;
    return lock;
}

bool lockByte(int fd, off_t at)
{
    struct flock lock = byteLock(at);
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

bool lockedElsewhere(int fd, off_t at)
{
    struct flock lock = byteLock(at);
    return ::fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
}

std::uint64_t readGeneration(int lockFd)
{
    std::uint64_t generation = 0;
    return ::pread(lockFd, &generation, sizeof generation, kGenerationOffset) == sizeof generation ? generation : 0;
}

bool sameFile(int a, int b)
{
    struct stat first {}, second {};
    return ::fstat(a, &first) == 0 && ::fstat(b, &second) == 0 && first.st_dev == second.st_dev
           && first.st_ino == second.st_ino;
}

bool ownUser(int connection)
{
    ucred peer {};
    socklen_t size = sizeof peer;
    return ::getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::geteuid();
}

bool sendClaim(int connection, int claim)
{
    char marker = kClaimMarker;
    iovec payload {&marker, 1};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr message {};
    message.msg_iov = &payload;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr *rights = CMSG_FIRSTHDR(&message);
    rights->cmsg_level = SOL_SOCKET;
    rights->cmsg_type = SCM_RIGHTS;
    rights->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(rights), &claim, sizeof claim);
    return ::sendmsg(connection, &message, MSG_NOSIGNAL) == 1;
}

// The claim a client's first message carries, or -1 for anything else.
int receiveClaim(int connection, int lockFd)
{
    char marker = 0;
    iovec payload {&marker, 1};
    constexpr int kMaxFds = 4;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * kMaxFds)] = {};
    msghdr message {};
    message.msg_iov = &payload;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t got = ::recvmsg(connection, &message, MSG_DONTWAIT | MSG_CMSG_CLOEXEC);
    int fds[kMaxFds];
    int count = 0;
    for (cmsghdr *part = got < 0 ? nullptr : CMSG_FIRSTHDR(&message); part; part = CMSG_NXTHDR(&message, part)) {
        if (part->cmsg_level != SOL_SOCKET || part->cmsg_type != SCM_RIGHTS)
            continue;
        const int inPart = int((part->cmsg_len - CMSG_LEN(0)) / sizeof(int));
        for (int i = 0; i < inPart && count < kMaxFds; ++i)
            std::memcpy(&fds[count++], CMSG_DATA(part) + i * sizeof(int), sizeof(int));
    }
    const bool valid = got == 1 && marker == kClaimMarker && !(message.msg_flags & (MSG_TRUNC | MSG_CTRUNC))
                       && count == 1 && sameFile(fds[0], lockFd);
    for (int i = valid ? 1 : 0; i < count; ++i)
        ::close(fds[i]);
    return valid ? fds[0] : -1;
}

enum class Readiness { Ready, Released, TimedOut, Failed };

Readiness waitReadable(int fd, int releaseFd, int timeoutMs)
{
    pollfd watched[] = {{fd, POLLIN, 0}, {releaseFd, POLLIN, 0}};
    for (;;) {
        const int ready = ::poll(watched, 2, timeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        // A wait that cannot go on must end, not be retried at full speed.
        if (ready < 0)
            return Readiness::Failed;
        if (ready > 0 && (watched[1].revents & POLLIN))
            return Readiness::Released;
        return ready > 0 ? Readiness::Ready : Readiness::TimedOut;
    }
}

} // namespace

struct PipeServer::State
{
    // An accepted connection whose claim has not come yet.
    struct Unclaimed
    {
        int fd;
        Clock::time_point deadline;
        bool beforeWait; // queued before the current waitForClient began
    };

    std::string name;
    Endpoint paths;
    int lockFd = -1;
    int listenFd = -1;
    int connection = -1;
    int claim = -1;
    int releaseFd = -1;
    std::atomic<bool> released {false};
    std::vector<Unclaimed> unclaimed;
    bool outOfDescriptors = false;
    Clock::time_point acceptPausedUntil {};

    enum class Step { Waiting, Admitted, Released, Failed, OutOfDescriptors };

    // Takes every queued connection of our own user in, to wait for its claim.
    Step acceptQueued(bool beforeWait)
    {
        for (;;) {
            int accepted = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (accepted < 0) {
                if (errno != EMFILE && errno != ENFILE && errno != ENOBUFS && errno != ENOMEM)
                    return Step::Waiting;
                acceptPausedUntil = Clock::now() + kAcceptBackoff;
                if (outOfDescriptors)
                    return Step::Waiting;
                outOfDescriptors = true;
                return Step::OutOfDescriptors;
            }
            outOfDescriptors = false;
            if (!ownUser(accepted)) {
                closeFd(accepted);
                continue;
            }
            if (unclaimed.size() == kMaxUnclaimed) {
                closeFd(unclaimed.front().fd);
                unclaimed.erase(unclaimed.begin());
            }
            unclaimed.push_back({accepted, Clock::now() + kClaimTimeout, beforeWait});
        }
    }

    // Looks at the connections that have something to say, and lets go of the expired ones.
    Step takeClaims(const std::vector<pollfd> &watched, bool &cameFirst)
    {
        const Clock::time_point now = Clock::now();
        for (std::size_t i = 0; i < unclaimed.size();) {
            Unclaimed &candidate = unclaimed[i];
            const auto polled = std::find_if(watched.begin(), watched.end(),
                                             [&](const pollfd &p) { return p.fd == candidate.fd; });
            const bool spoke = polled != watched.end() && polled->revents != 0;
            const int taken = spoke ? receiveClaim(candidate.fd, lockFd) : -1;
            if (taken >= 0) {
                connection = candidate.fd;
                claim = taken;
                cameFirst = candidate.beforeWait;
                unclaimed.erase(unclaimed.begin() + std::ptrdiff_t(i));
                return Step::Admitted;
            }
            if (spoke || now >= candidate.deadline) {
                closeFd(candidate.fd);
                unclaimed.erase(unclaimed.begin() + std::ptrdiff_t(i));
                continue;
            }
            ++i;
        }
        return Step::Waiting;
    }

    // Polls the release event, the listening socket (unless paused) and every
    // unclaimed connection, at most until the nearest claim deadline.
    Step poll(std::vector<pollfd> &watched, bool immediately)
    {
        const Clock::time_point now = Clock::now();
        const bool accepting = now >= acceptPausedUntil;
        Clock::time_point until = accepting ? Clock::time_point::max() : acceptPausedUntil;
        watched.clear();
        watched.push_back({releaseFd, POLLIN, 0});
        watched.push_back({accepting ? listenFd : -1, POLLIN, 0});
        for (const Unclaimed &candidate : unclaimed) {
            watched.push_back({candidate.fd, POLLIN, 0});
            until = std::min(until, candidate.deadline);
        }
        int timeoutMs = -1;
        if (immediately)
            timeoutMs = 0;
        else if (until != Clock::time_point::max())
            timeoutMs = int(std::max<std::chrono::milliseconds::rep>(
                0, std::chrono::ceil<std::chrono::milliseconds>(until - now).count()));
        const int ready = ::poll(watched.data(), nfds_t(watched.size()), timeoutMs);
        if (ready < 0 && errno != EINTR)
            return Step::Failed;
        if (ready > 0 && (watched[0].revents & POLLIN))
            return Step::Released;
        return Step::Waiting;
    }

    void dropUnclaimed()
    {
        for (Unclaimed &candidate : unclaimed)
            closeFd(candidate.fd);
        unclaimed.clear();
    }

    void announceWaiting()
    {
        const std::uint64_t next = readGeneration(lockFd) + 1;
        [[maybe_unused]] const ssize_t written = ::pwrite(lockFd, &next, sizeof next, kGenerationOffset);
    }
};

PipeServer::PipeServer(const std::string &name)
    : state(std::make_unique<State>())
{
    state->name = name;
    state->releaseFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

PipeServer::~PipeServer()
{
    disconnect();
    state->dropUnclaimed();
    if (state->listenFd >= 0) {
        // Still ours: the server byte keeps every other server off this path.
        ::unlink(state->paths.socketPath.c_str());
        closeFd(state->listenFd);
    }
    closeFd(state->lockFd);
    closeFd(state->releaseFd);
}

bool PipeServer::create(std::uint32_t &error)
{
    State &s = *state;
    error = kErrorSuccess;
    if (s.listenFd >= 0)
        return true;
    if (s.releaseFd < 0) {
        // Without it nothing could end a wait at shutdown.
        error = kErrorGenFailure;
        return false;
    }
    s.paths = endpoint(s.name);
    if (!s.paths.valid()) {
        error = kErrorInvalidName;
        return false;
    }
    s.lockFd = ::open(s.paths.lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (s.lockFd < 0 || !lockByte(s.lockFd, kServerByte)) {
        // What CreateNamedPipe answers when the first instance belongs to someone else.
        error = kErrorAccessDenied;
        closeFd(s.lockFd);
        return false;
    }
    // No live server holds the name, so a socket left here is stale.
    ::unlink(s.paths.socketPath.c_str());
    const sockaddr_un address = addressOf(s.paths.socketPath);
    // Non-blocking: the queue is emptied in one go, and an empty one must not block.
    s.listenFd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (s.listenFd < 0 || ::bind(s.listenFd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
        || ::chmod(s.paths.socketPath.c_str(), 0600) != 0 || ::listen(s.listenFd, kBacklog) != 0) {
        error = kErrorGenFailure;
        if (s.listenFd >= 0)
            ::unlink(s.paths.socketPath.c_str());
        closeFd(s.listenFd);
        closeFd(s.lockFd);
        return false;
    }
    return true;
}

bool PipeServer::isOpen() const
{
    return state->listenFd >= 0;
}

bool PipeServer::waitForClient(std::uint32_t &error)
{
    State &s = *state;
    if (s.released) {
        error = kErrorOperationAborted;
        return false;
    }
    if (s.listenFd < 0) {
        error = kErrorInvalidHandle;
        return false;
    }
    if (s.connection >= 0) {
        error = kErrorPipeConnected;
        return false;
    }
    s.announceWaiting();
    // What is already there when the wait begins came first, as on Windows.
    for (State::Unclaimed &candidate : s.unclaimed)
        candidate.beforeWait = true;
    std::vector<pollfd> watched;
    for (bool firstLook = true;; firstLook = false) {
        State::Step step = s.poll(watched, firstLook);
        if (step == State::Step::Waiting && (watched[1].revents & POLLIN))
            step = s.acceptQueued(firstLook);
        bool cameFirst = false;
        if (step == State::Step::Waiting)
            step = s.takeClaims(watched, cameFirst);
        switch (step) {
        case State::Step::Waiting:
            continue;
        case State::Step::Admitted:
            error = cameFirst ? kErrorPipeConnected : kErrorSuccess;
            return !cameFirst;
        case State::Step::Released:
            error = kErrorOperationAborted;
            return false;
        case State::Step::OutOfDescriptors:
            error = kErrorTooManyOpenFiles;
            return false;
        case State::Step::Failed:
            error = kErrorGenFailure;
            return false;
        }
    }
}

bool PipeServer::readMessage(void *buffer, std::uint32_t capacity, std::uint32_t &bytesRead, std::uint32_t &error)
{
    State &s = *state;
    bytesRead = 0;
    if (s.released) {
        error = kErrorOperationAborted;
        return false;
    }
    if (s.connection < 0) {
        error = kErrorPipeNotConnected;
        return false;
    }
    for (;;) {
        const Readiness readiness = waitReadable(s.connection, s.releaseFd, -1);
        if (readiness == Readiness::Released || readiness == Readiness::Failed) {
            error = readiness == Readiness::Released ? kErrorOperationAborted : kErrorGenFailure;
            return false;
        }
        char prefix = 0;
        iovec parts[] = {{&prefix, 1}, {buffer, capacity}};
        msghdr message {};
        message.msg_iov = parts;
        message.msg_iovlen = 2;
        // MSG_TRUNC makes recvmsg report the message's real length, however much of it fits.
        const ssize_t length = ::recvmsg(s.connection, &message, MSG_TRUNC | MSG_DONTWAIT);
        if (length < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            continue;
        if (length <= 0) {
            error = kErrorBrokenPipe;
            return false;
        }
        const std::size_t payload = std::size_t(length) - 1;
        bytesRead = std::uint32_t(std::min<std::size_t>(payload, capacity));
        if (payload > capacity) {
            error = kErrorMoreData;
            return false;
        }
        error = kErrorSuccess;
        return true;
    }
}

void PipeServer::disconnect()
{
    closeFd(state->connection);
    closeFd(state->claim);
}

void PipeServer::release()
{
    state->released = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(state->releaseFd, &one, sizeof one);
}

PipeClient::~PipeClient()
{
    close();
}

bool PipeClient::open(const std::string &name, std::uint32_t &error)
{
    close();
    const Endpoint paths = endpoint(name);
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
    const sockaddr_un address = addressOf(paths.socketPath);
    // Non-blocking while connecting: a server whose queue is full is busy, as
    // Windows answers at once, and must not hold the caller.
    int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const bool connected = fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
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
    const Endpoint paths = endpoint(name);
    int lockFd = paths.valid() ? ::open(paths.lockPath.c_str(), O_RDWR | O_CLOEXEC) : -1;
    if (lockFd < 0) {
        error = kErrorFileNotFound;
        return false;
    }
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
