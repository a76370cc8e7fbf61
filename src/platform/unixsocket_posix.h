#pragma once

#include <chrono>
#include <string>
#include <sys/un.h>

// What the device and pipe stand-ins both do with a Unix socket path.
namespace platform::posix {

// False when the path does not fit a socket address.
bool toSocketAddress(const std::string &path, sockaddr_un &address);

// A Unix socket whose accept queue is full refuses a non-blocking connect with
// EAGAIN and never reports when room frees up, so it is tried again every
// retry until the deadline. On failure errno tells the last refusal (EAGAIN:
// the queue stayed full).
bool connectRetrying(int fd, const sockaddr_un &address, std::chrono::steady_clock::time_point deadline,
                     std::chrono::milliseconds retry);

} // namespace platform::posix
