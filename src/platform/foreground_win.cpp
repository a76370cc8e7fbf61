#include "foreground.h"

#include <windows.h>

namespace platform {

void allowToTakeForeground(std::intptr_t connection)
{
    ULONG server = 0;
    if (GetNamedPipeServerProcessId(reinterpret_cast<HANDLE>(connection), &server))
        AllowSetForegroundWindow(server);
}

} // namespace platform
