#pragma once

#include <cstdint>

// SIGUSR1 is a glitch on the USB bus: the next product-id read fails once,
// the way a brief disturbance makes a watching panel miss one poll.
void installGlitchSignal();
// The glitches signalled since the last call.
std::uint32_t takeGlitches();
