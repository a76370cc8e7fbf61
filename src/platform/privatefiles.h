#pragma once

#include <string>

// The user's saved state is nobody else's business. On POSIX the program's
// data directory and its files are created for their owner alone; an
// existing one keeps the mode it has. On Windows the profile directory that
// holds them is already the user's own, so these do nothing there.
namespace platform {

// Creates the directory with mode 0700 when it is missing; its parent must exist.
void createPrivateDirectory(const std::string &path);
// Creates an empty file with mode 0600 when nothing is at the path yet; never
// opens what is already there, whatever it is.
void createPrivateFile(const std::string &path);

} // namespace platform
