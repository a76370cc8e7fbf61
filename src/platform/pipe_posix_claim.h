#pragma once

#include <cstdint>
#include <sys/types.h>

// The claim protocol of the POSIX pipe stand-in: what a socket cannot tell a
// client (is a server there, is its one instance taken, has it started waiting)
// travels as open-file-description locks and a counter in the pipe's lock file.
// docs/pipes-posix.md describes the whole exchange.
namespace platform::posix {

inline constexpr off_t kServerByte = 0;
inline constexpr off_t kInstanceByte = 1;

// Every message travels behind this byte, so that an empty one is not mistaken
// for the end of the connection (recv returns 0 for both).
inline constexpr char kMessagePrefix = 'M';

void closeFd(int &fd);

bool lockByte(int fd, off_t at);
bool lockedElsewhere(int fd, off_t at);

// The counter a server bumps whenever it starts waiting for a client.
std::uint64_t readGeneration(int lockFd);
void bumpGeneration(int lockFd);

// The client's first message: the locked lock file, passed to the server.
bool sendClaim(int connection, int claim);
inline constexpr int kNoClaimYet = -2;
// The claim a connection's first message carries, kNoClaimYet while it has
// said nothing and is still there, or -1 for anything else.
int receiveClaim(int connection, int lockFd);

// Whether the connection's peer runs as our own user.
bool ownUser(int connection);

} // namespace platform::posix
