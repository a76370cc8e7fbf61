#include "session.h"

#include <windows.h>

namespace platform {

bool sessionIsActive()
{
    DWORD own = 0;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &own))
        return true;
    // 0xFFFFFFFF while the sessions switch: the interface waits for the new owner.
    return WTSGetActiveConsoleSessionId() == own;
}

} // namespace platform
