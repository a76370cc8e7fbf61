#include "pipe_posix_claim.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::posix {

namespace {

constexpr off_t kGenerationOffset = 8;
constexpr char kClaimMarker = 'K';

struct flock byteLock(off_t at)
{
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = at;
    lock.l_len = 1;
    return lock;
}

bool sameFile(int a, int b)
{
    struct stat first {}, second {};
    return ::fstat(a, &first) == 0 && ::fstat(b, &second) == 0 && first.st_dev == second.st_dev
           && first.st_ino == second.st_ino;
}

} // namespace

void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Open-file-description locks belong to an open file, not to a process, so two
// ends in one process still exclude each other, and they pass through SCM_RIGHTS.
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

void bumpGeneration(int lockFd)
{
    const std::uint64_t next = readGeneration(lockFd) + 1;
    [[maybe_unused]] const ssize_t written = ::pwrite(lockFd, &next, sizeof next, kGenerationOffset);
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
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return kNoClaimYet;
    int fds[kMaxFds];
    int count = 0;
    for (cmsghdr *part = got < 0 ? nullptr : CMSG_FIRSTHDR(&message); part; part = CMSG_NXTHDR(&message, part)) {
        if (part->cmsg_level != SOL_SOCKET || part->cmsg_type != SCM_RIGHTS)
            continue;
        const int inPart = int((part->cmsg_len - CMSG_LEN(0)) / sizeof(int));
        for (int i = 0; i < inPart && count < kMaxFds; ++i)
            std::memcpy(&fds[count++], CMSG_DATA(part) + i * sizeof(int), sizeof(int));
    }
    // Only the lock file of this very pipe proves that the client holds its instance.
    const bool valid = got == 1 && marker == kClaimMarker && !(message.msg_flags & (MSG_TRUNC | MSG_CTRUNC))
                       && count == 1 && sameFile(fds[0], lockFd);
    for (int i = valid ? 1 : 0; i < count; ++i)
        ::close(fds[i]);
    return valid ? fds[0] : -1;
}

bool ownUser(int connection)
{
    ucred peer {};
    socklen_t size = sizeof peer;
    return ::getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::geteuid();
}

} // namespace platform::posix
