#pragma once

#include "devicefacts.h"

#include <device.h>

// The interface class under which the driver registers the device.
namespace deviceclass {
inline constexpr platform::Guid kInterfaceClass = KORVIST_INTERFACE_CLASS_INITIALIZER;
} // namespace deviceclass
