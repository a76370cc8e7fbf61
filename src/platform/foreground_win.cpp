#include "foreground.h"

#include <windows.h>

namespace platform {

void allowOtherToTakeForeground()
{
    AllowSetForegroundWindow(ASFW_ANY);
}

} // namespace platform
