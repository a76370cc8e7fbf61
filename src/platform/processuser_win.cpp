#include "processuser_win.h"

#include <windows.h>

namespace platform::win {

namespace {

Sid tokenUser(HANDLE process)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    Sid user;
    if (size && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        const PSID sid = reinterpret_cast<const TOKEN_USER *>(buffer.data())->User.Sid;
        const auto *bytes = static_cast<const unsigned char *>(sid);
        user.assign(bytes, bytes + GetLengthSid(sid));
    }
    CloseHandle(token);
    return user;
}

} // namespace

Sid processUser(std::uint32_t processId)
{
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return {};
    Sid user = tokenUser(process);
    CloseHandle(process);
    return user;
}

bool runsAs(std::uint32_t processId, const Sid &user)
{
    const Sid actual = processUser(processId);
    return !actual.empty() && actual == user;
}

} // namespace platform::win
