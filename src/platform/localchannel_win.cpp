#include "localchannel.h"

#include "processuser_win.h"
#include "widestring_win.h"
#include "win32errors.h"

#include <windows.h>
#include <sddl.h>

namespace platform {

namespace {

constexpr DWORD kQtDefaultTimeoutMs = 3000;

// This user alone, and nobody who comes over the network (NU): a pipe has one
// security descriptor for all its instances, so it covers those QLocalServer
// adds too, which it creates without PIPE_REJECT_REMOTE_CLIENTS.
PSECURITY_DESCRIPTOR userOnly(std::uint32_t &error)
{
    win::Sid user = win::processUser(GetCurrentProcessId());
    wchar_t *userText = nullptr;
    if (user.empty() || !ConvertSidToStringSidW(user.data(), &userText)) {
        error = user.empty() ? kErrorGenFailure : GetLastError();
        return nullptr;
    }
    const std::wstring sddl = L"D:P(D;;GA;;;NU)(A;;GA;;;" + std::wstring(userText) + L")";
    LocalFree(userText);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        error = GetLastError();
    return descriptor;
}

} // namespace

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

LocalChannelClaim::~LocalChannelClaim()
{
    if (client != -1)
        CloseHandle(reinterpret_cast<HANDLE>(client));
    if (server != -1)
        CloseHandle(reinterpret_cast<HANDLE>(server));
}

bool LocalChannelClaim::take(const std::string &name, std::uint32_t &error)
{
    const std::wstring path = L"\\\\.\\pipe\\" + win::toUtf16(name);
    PSECURITY_DESCRIPTOR descriptor = userOnly(error);
    if (!descriptor)
        return false;
    SECURITY_ATTRIBUTES attributes {sizeof attributes, descriptor, FALSE};
    // Access, type, instance limit and default time-out as QLocalServer gives
    // its own instances, which must match the first one's.
    const HANDLE pipe = CreateNamedPipeW(path.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                         PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES, 0,
                                         0, kQtDefaultTimeoutMs, &attributes);
    error = GetLastError();
    LocalFree(descriptor);
    if (pipe == INVALID_HANDLE_VALUE)
        return false;
    // Wine ignores FILE_FLAG_FIRST_PIPE_INSTANCE and adds an instance to a
    // pipe that exists: ours must be the only one.
    DWORD instances = 0;
    if (!GetNamedPipeHandleStateW(pipe, nullptr, &instances, nullptr, nullptr, nullptr, 0) || instances != 1) {
        CloseHandle(pipe);
        error = kErrorAccessDenied;
        return false;
    }
    // Our own client takes that instance, so that no script's lands where nobody answers.
    const HANDLE self = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (self == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        CloseHandle(pipe);
        return false;
    }
    server = reinterpret_cast<std::intptr_t>(pipe);
    client = reinterpret_cast<std::intptr_t>(self);
    error = kErrorSuccess;
    return true;
}

bool localChannelServedBySameUser(std::intptr_t connection)
{
    ULONG serverProcess = 0;
    return GetNamedPipeServerProcessId(reinterpret_cast<HANDLE>(connection), &serverProcess)
           && win::runsAs(serverProcess, win::processUser(GetCurrentProcessId()));
}

bool localChannelClientWaiting(std::intptr_t connection)
{
    // Fails with ERROR_BROKEN_PIPE once the client has closed and its bytes
    // are read, with ERROR_PIPE_NOT_CONNECTED once the server let it go, and
    // for anything that is not an open pipe (Qt's closed socket gives -1).
    return PeekNamedPipe(reinterpret_cast<HANDLE>(connection), nullptr, 0, nullptr, nullptr, nullptr);
}

} // namespace platform
