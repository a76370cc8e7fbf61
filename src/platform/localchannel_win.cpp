#include "localchannel.h"

#include "widestring_win.h"

#include <windows.h>

namespace platform {

std::string localChannelName(const std::string &base)
{
    DWORD session = 0;
    ::ProcessIdToSessionId(::GetCurrentProcessId(), &session);
    wchar_t user[257] = {};
    DWORD length = sizeof user / sizeof user[0];
    if (!::GetUserNameW(user, &length))
        user[0] = L'\0';
    return base + '-' + std::to_string(session) + '-' + win::toUtf8(user);
}

} // namespace platform
