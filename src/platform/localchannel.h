#pragma once

#include <string>

// Where the running instance listens for its own user's scripts.
namespace platform {

// The name to give a local server (a named pipe on Windows, a Unix socket
// elsewhere) so that only this user's session finds it: on Windows the user
// and session are part of the pipe's name, as every session shares one pipe
// namespace; elsewhere the socket's full path in the private runtime
// directory. Empty when that directory cannot be made.
std::string localChannelName(const std::string &base);

} // namespace platform
