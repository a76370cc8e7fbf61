#include "interfaceowner.h"

#include "processuser_win.h"

#include <windows.h>

#include <sddl.h>

#include <cstdlib>

namespace platform {

// Every user may add files to a folder made below ProgramData, and change
// only the ones it added.
std::filesystem::path interfaceStampDir()
{
    const wchar_t *programData = _wgetenv(L"ProgramData");
    if (!programData || !*programData)
        return {};
    std::filesystem::path dir = std::filesystem::path(programData) / L"Korvist" / L"InterfaceOwners";
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    return error ? std::filesystem::path() : dir;
}

// The session and the user: the same session number is another user's after a sign-out.
std::string ownInterfaceStamp()
{
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    win::Sid user = win::processUser(GetCurrentProcessId());
    std::string userText = "unknown";
    char *text = nullptr;
    if (!user.empty() && ConvertSidToStringSidA(user.data(), &text)) {
        userText = text;
        LocalFree(text);
    }
    return std::to_string(session) + "-" + userText;
}

} // namespace platform
