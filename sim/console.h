#pragma once

// One line for the person watching the simulator. Flushed at once: stdout is
// usually a pipe or a file that someone reads while the simulator runs.
void say(const char *format, ...) __attribute__((format(printf, 1, 2)));
