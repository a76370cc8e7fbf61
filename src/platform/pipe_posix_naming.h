#pragma once

#include <string>
#include <sys/un.h>

// Where "\\.\pipe\<name>" lives in the POSIX stand-in: the socket pipes/<name>
// in the private runtime directory and, beside it, the lock file pipes/.<name>.lock
// that carries the claim protocol (docs/pipes-posix.md).
namespace platform::posix {

struct PipeEndpoint
{
    std::string socketPath;
    std::string lockPath;
    bool valid() const { return !socketPath.empty(); }
};

// Invalid for a name that is no plain file name or whose socket path is too long for an address.
PipeEndpoint pipeEndpoint(const std::string &name);
// The address of a valid endpoint's socket path, which fits by construction.
sockaddr_un socketAddress(const std::string &path);

} // namespace platform::posix
