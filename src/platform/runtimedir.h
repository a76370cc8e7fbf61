#pragma once

#include <string>

// The place of this user's device and pipe endpoints. On Windows the kernel's
// namespaces hold them; elsewhere a directory that must belong to this user alone.
namespace platform {

// False, with a plain sentence for the user, when that place cannot be used:
// every device and pipe would fail, so a program should stop and say why.
bool checkEndpointDir(std::string &problem);

} // namespace platform
