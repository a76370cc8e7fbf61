#pragma once

#include <cstdint>
#include <string>

// The simulated device as Windows' device manager sees it: one root-enumerated
// device whose function driver is korvist-sim.sys. Errors are Win32 numbers.
namespace simctl {

// Registers the device, installs the driver from the INF (korvist-sim.sys
// beside it), fixes the one directory its journal may be written in and
// waits until the driver answers on its control device.
std::uint32_t install(const std::string &infPath, const std::string &journalDirectory);
// Removes the device (its interface and the driver's hold on it); install adds it again.
std::uint32_t remove();

} // namespace simctl
