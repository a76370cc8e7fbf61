#pragma once

// SIGUSR1 is a glitch on the USB bus: the next product-id read fails once,
// the way a brief disturbance makes a watching panel miss one poll.
void installGlitchSignal();
// True once for each glitch signalled since the last call.
bool takeGlitch();
