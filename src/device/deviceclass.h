#pragma once

#include <device.h>

// The interface class under which the driver registers the device.
namespace deviceclass {
inline constexpr platform::Guid kInterfaceClass {0x6EB9AB90, 0xB331, 0x4508,
                                                 {0xB9, 0x03, 0x48, 0xAA, 0xA2, 0x6E, 0xA4, 0xF1}};
} // namespace deviceclass
