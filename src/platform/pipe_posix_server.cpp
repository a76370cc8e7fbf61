// The server end of the POSIX pipe stand-in (docs/pipes-posix.md).

#include "pipe.h"
#include "pipe_posix_claim.h"
#include "pipe_posix_naming.h"
#include "win32errors.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

using namespace posix;

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kErrorBrokenPipe = 109;
constexpr std::uint32_t kErrorInvalidName = 123;
constexpr std::uint32_t kErrorPipeNotConnected = 233;

// A client sends its claim right after connecting; one that does not is not a pipe client.
constexpr auto kClaimTimeout = std::chrono::milliseconds(2000);
// Connections waiting for their claim at once; beyond it the oldest is let go.
constexpr std::size_t kMaxUnclaimed = 64;
// How long the server stops taking connections after running out of descriptors.
constexpr auto kAcceptBackoff = std::chrono::milliseconds(250);
// Room for a flood of connections between two waits, so that a client that
// comes then finds a place in the queue instead of a busy pipe.
constexpr int kBacklog = 512;

enum class Readiness { Ready, Released, TimedOut, Failed };

Readiness waitReadable(int fd, int releaseFd, Clock::time_point deadline)
{
    pollfd watched[] = {{fd, POLLIN, 0}, {releaseFd, POLLIN, 0}};
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        const int ready = ::poll(watched, 2, int(std::max<decltype(left)>(left, 0)));
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
    PipeEndpoint paths;
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

    // Takes every queued connection of our own user in. A client sends its
    // claim right after connecting, so it is usually there already: such a
    // connection is admitted at once, however many others a flood queued
    // before it, and one that left without a word is let go at once.
    Step acceptQueued(bool beforeWait, bool &cameFirst)
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
            const int taken = ownUser(accepted) ? receiveClaim(accepted, lockFd) : -1;
            if (taken >= 0) {
                admit(accepted, taken);
                cameFirst = beforeWait;
                return Step::Admitted;
            }
            if (taken != kNoClaimYet) {
                closeFd(accepted);
                continue;
            }
            // A client whose claim came after it was taken in must not be let go for room.
            if (unclaimed.size() == kMaxUnclaimed && takeClaims(cameFirst) == Step::Admitted) {
                closeFd(accepted);
                return Step::Admitted;
            }
            if (unclaimed.size() == kMaxUnclaimed) {
                closeFd(unclaimed.front().fd);
                unclaimed.erase(unclaimed.begin());
            }
            unclaimed.push_back({accepted, Clock::now() + kClaimTimeout, beforeWait});
        }
    }

    void admit(int accepted, int taken)
    {
        connection = accepted;
        claim = taken;
        // A connection queued behind it cannot hold a claim while this one does.
        dropUnclaimed();
    }

    // Admits the first connection whose claim has come, lets go of those that
    // said something else, left or let their time pass.
    Step takeClaims(bool &cameFirst)
    {
        const Clock::time_point now = Clock::now();
        for (std::size_t i = 0; i < unclaimed.size();) {
            const Unclaimed candidate = unclaimed[i];
            const int taken = receiveClaim(candidate.fd, lockFd);
            if (taken == kNoClaimYet && now < candidate.deadline) {
                ++i;
                continue;
            }
            unclaimed.erase(unclaimed.begin() + std::ptrdiff_t(i));
            if (taken >= 0) {
                cameFirst = candidate.beforeWait;
                admit(candidate.fd, taken);
                return Step::Admitted;
            }
            int fd = candidate.fd;
            closeFd(fd);
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
    s.paths = pipeEndpoint(s.name);
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
    const sockaddr_un address = socketAddress(s.paths.socketPath);
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
    // Ends the waitForPipe of every client that found the instance taken.
    bumpGeneration(s.lockFd);
    // What is already there when the wait begins came first, as on Windows.
    for (State::Unclaimed &candidate : s.unclaimed)
        candidate.beforeWait = true;
    std::vector<pollfd> watched;
    for (bool firstLook = true;; firstLook = false) {
        State::Step step = s.poll(watched, firstLook);
        bool cameFirst = false;
        if (step == State::Step::Waiting && (watched[1].revents & POLLIN))
            step = s.acceptQueued(firstLook, cameFirst);
        if (step == State::Step::Waiting)
            step = s.takeClaims(cameFirst);
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

bool PipeServer::readMessage(void *buffer, std::uint32_t capacity, std::uint32_t &bytesRead, std::uint32_t &error,
                             std::uint32_t timeoutMs)
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
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const Readiness readiness = waitReadable(s.connection, s.releaseFd, deadline);
        if (readiness != Readiness::Ready) {
            error = readiness == Readiness::Released   ? kErrorOperationAborted
                    : readiness == Readiness::TimedOut ? kErrorSemTimeout
                                                       : kErrorGenFailure;
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

} // namespace platform
