#pragma once

// korvist-sim device: stands in for the kernel driver and the USB device behind it.
int deviceMain(int argc, char **argv);
