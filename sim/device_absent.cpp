#include "device_main.h"

#include <cstdio>

// The device stands in for the kernel driver through the POSIX side of the
// platform seam. On Windows the driver is korvist-sim.sys, run under wine.
int deviceMain(int, char **)
{
    std::fprintf(stderr, "korvist-sim device: not available on Windows; install korvist-sim.sys instead\n");
    return 2;
}
