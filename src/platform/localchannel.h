#pragma once

#include <cstdint>
#include <string>

// Where the running instance listens for its own user's scripts.
namespace platform {

// The name to give a local server (a named pipe on Windows, a Unix socket
// elsewhere) so that only this user's session finds it: on Windows the user
// and session are part of the pipe's name, as every session shares one pipe
// namespace; elsewhere the socket's full path in the private runtime
// directory. Empty when that directory cannot be made.
std::string localChannelName(const std::string &base);

// On Windows any local process may create a pipe of any name, and a server
// that merely adds instances to it receives its clients. The claim creates the
// pipe itself, before the local server adds its instances: as its first
// instance, for this user alone and never over the network, and keeps that
// instance busy so that no client lands where nobody answers. Elsewhere the
// private runtime directory already keeps other users out, and nothing is held.
class LocalChannelClaim
{
public:
    LocalChannelClaim() = default;
    ~LocalChannelClaim(); // lets the name go
    LocalChannelClaim(const LocalChannelClaim &) = delete;
    LocalChannelClaim &operator=(const LocalChannelClaim &) = delete;

    // Once. Fails with 5 when another process created the name first.
    bool take(const std::string &name, std::uint32_t &error);

private:
    std::intptr_t server = -1;
    std::intptr_t client = -1;
};

// Whether the process at the other end of a connected client (a pipe handle on
// Windows, a socket elsewhere) runs as our own user; false when it cannot be told.
bool localChannelServedBySameUser(std::intptr_t connection);

// Whether the client at the other end of a served connection (the server's
// pipe handle on Windows, its socket elsewhere) is still there: false once it
// has closed its end (on Windows only once what it sent is read, as Qt has
// read a line before it reports it), and for a connection no longer open.
bool localChannelClientWaiting(std::intptr_t connection);

} // namespace platform
