#pragma once

#include <string>

// Where the POSIX stand-in keeps its endpoints: one private directory,
// $XDG_RUNTIME_DIR/korvist, or without that variable ~/.korvist ($TMPDIR or
// /tmp /korvist-<uid> when the home is too long for socket addresses). Every
// directory on the way must be ours, no symlink, mode 0700. The variables are
// read at every call so that tests can isolate themselves.
namespace platform::posix {

// Creates the directory (and the sub-directory) when missing; empty on failure.
std::string runtimeDir();
std::string ensureSubdir(const std::string &relative);

// The socket that stands in for "\\.\pipe\<name>".
std::string pipeSocketPath(const std::string &pipeName);
// The directory whose sockets stand in for the interfaces of a device class.
std::string deviceClassDir(const std::string &guidText);

} // namespace platform::posix
