#pragma once

// A program started by the user holds the right to bring a window to the
// front; one that asks another instance to show its window hands that right on
// first, or the system keeps the other's window behind (Windows' foreground
// lock). Nothing to do elsewhere.
namespace platform {

void allowOtherToTakeForeground();

} // namespace platform
