#pragma once

#include <string>

// What keeps one user's single-instance guard apart from another's.
namespace platform {

// Appended to the names of the guard's system objects. Empty on Windows, where
// such names already belong to the session; the user's id elsewhere, where the
// System V keys behind them are shared by the whole machine and another user's
// objects, live or left by a crash, could not even be opened.
std::string instanceNameSuffix();

} // namespace platform
