#pragma once

#include <cstdint>

// A program started by the user holds the right to bring a window to the
// front; one that asks another instance to show its window hands that right on
// first, or the system keeps the other's window behind (Windows' foreground
// lock). Only to the process serving the connection (a connected pipe handle
// on Windows), once it is known to be the user's own. Nothing to do elsewhere.
namespace platform {

void allowToTakeForeground(std::intptr_t connection);

} // namespace platform
