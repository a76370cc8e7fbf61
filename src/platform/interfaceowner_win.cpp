#include "interfaceowner.h"
#include "interfaceowner_win.h"

#include <aclapi.h>
#include <sddl.h>

#include <cstdlib>
#include <memory>
#include <random>

namespace platform {

namespace fs = std::filesystem;

namespace win {

namespace {

// What anyone but SYSTEM and Administrators may do: list, read and add files
// on the folder itself; read what inherits to the files in it.
constexpr ACCESS_MASK kReadRights = FILE_GENERIC_READ | FILE_GENERIC_EXECUTE | GENERIC_READ | GENERIC_EXECUTE;
constexpr ACCESS_MASK kFolderRights = kReadRights | FILE_ADD_FILE;

bool isMachineOwner(PSID sid)
{
    return sid && (IsWellKnownSid(sid, WinLocalSystemSid) || IsWellKnownSid(sid, WinBuiltinAdministratorsSid));
}

// Why this entry lets someone other than SYSTEM and Administrators remove,
// change or hide a stamp they did not make; empty when it does not.
std::string entryDistrust(const ACE_HEADER *header)
{
    if (header->AceType == ACCESS_DENIED_ACE_TYPE)
        return {};
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE)
        return "its access list holds an entry of a kind this program does not weigh";
    const auto *ace = reinterpret_cast<const ACCESS_ALLOWED_ACE *>(header);
    const PSID sid = const_cast<DWORD *>(&ace->SidStart);
    // CREATOR OWNER becomes, on each new file, the one who made it.
    if (isMachineOwner(sid) || IsWellKnownSid(sid, WinCreatorOwnerSid))
        return {};
    const bool onFolder = !(header->AceFlags & INHERIT_ONLY_ACE);
    const bool onFiles = header->AceFlags & OBJECT_INHERIT_ACE;
    if ((onFolder && (ace->Mask & ~kFolderRights)) || (onFiles && (ace->Mask & ~kReadRights)))
        return "it lets users other than SYSTEM and Administrators change it or files that are not theirs";
    return {};
}

std::wstring ownStampName()
{
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    const Sid user = processUser(GetCurrentProcessId());
    std::wstring userText = L"unknown";
    wchar_t *text = nullptr;
    if (!user.empty() && ConvertSidToStringSidW(const_cast<unsigned char *>(user.data()), &text)) {
        userText = text;
        LocalFree(text);
    }
    // The session and the user: the same session number is another user's after a sign-out.
    return std::to_wstring(session) + L"-" + userText;
}

// Dates the stamp now, creating it with the user as its owner where asked to:
// an elevated administrator's new file would otherwise belong to Administrators.
bool writeStamp(const fs::path &stamp, DWORD disposition)
{
    Sid user = processUser(GetCurrentProcessId());
    SECURITY_DESCRIPTOR descriptor;
    if (user.empty() || !InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION)
        || !SetSecurityDescriptorOwner(&descriptor, user.data(), FALSE))
        return false;
    // No access list of its own: it takes the folder's, which leaves it to its owner.
    SECURITY_ATTRIBUTES attributes {sizeof attributes, &descriptor, FALSE};
    const HANDLE file = CreateFileW(stamp.c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &attributes, disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const bool dated = SetFileTime(file, nullptr, nullptr, &now);
    CloseHandle(file);
    return dated;
}

std::wstring unguessableSuffix()
{
    std::random_device random;
    std::wstring suffix;
    for (int i = 0; i < 4; ++i)
        suffix += std::to_wstring(random());
    return suffix;
}

} // namespace

std::string stampFolderDistrust(PSECURITY_DESCRIPTOR descriptor)
{
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    if (!GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) || !isMachineOwner(owner))
        return "it belongs to neither SYSTEM nor Administrators";
    BOOL present = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present || !dacl)
        return "it has no access list, so anyone may change it";
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        ACE_HEADER *header = nullptr;
        if (!GetAce(dacl, index, reinterpret_cast<void **>(&header)))
            return "its access list cannot be read";
        if (std::string why = entryDistrust(header); !why.empty())
            return why;
    }
    return {};
}

std::string stampFolderDistrust(const fs::path &folder)
{
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return "it is missing (the installer makes it)";
    // A link would lead to a folder that whoever made the link may swap.
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return "it is not a plain folder";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, nullptr, nullptr, &descriptor)
        != ERROR_SUCCESS)
        return "its security cannot be read";
    const std::unique_ptr<void, decltype(&LocalFree)> freed(descriptor, LocalFree);
    return stampFolderDistrust(descriptor);
}

bool stampMadeBy(PSECURITY_DESCRIPTOR descriptor, const Sid &user)
{
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    return !user.empty() && GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) && owner
           && EqualSid(owner, const_cast<unsigned char *>(user.data()));
}

} // namespace win

// Every user may add files to a folder below ProgramData, so whoever makes the
// folder first would own it; the installer makes both with their descriptors,
// and a folder that lacks them is not used.
fs::path interfaceStampDir(std::string &distrust)
{
    const wchar_t *programData = _wgetenv(L"ProgramData");
    if (!programData || !*programData) {
        distrust = "ProgramData is not set";
        return {};
    }
    const fs::path parent = fs::path(programData) / L"Korvist";
    const fs::path dir = parent / L"InterfaceOwners";
    const std::pair<fs::path, const char *> folders[] = {{parent, "Korvist"}, {dir, "Korvist\\InterfaceOwners"}};
    for (const auto &[folder, name] : folders) {
        if (std::string why = win::stampFolderDistrust(folder); !why.empty()) {
            distrust = std::string("%ProgramData%\\") + name + ": " + why;
            return {};
        }
    }
    return dir;
}

bool isOwnInterfaceStamp(const fs::path &stamp)
{
    const std::wstring own = win::ownStampName();
    const std::wstring name = stamp.filename().wstring();
    if (name != own && name.rfind(own + L".", 0) != 0)
        return false;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(stamp.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                              nullptr, &descriptor)
        != ERROR_SUCCESS)
        return false;
    const std::unique_ptr<void, decltype(&LocalFree)> freed(descriptor, LocalFree);
    return win::stampMadeBy(descriptor, win::processUser(GetCurrentProcessId()));
}

void stampInterfaceDrivenHere(const fs::path &dir)
{
    std::error_code error;
    for (const fs::directory_entry &stamp : fs::directory_iterator(dir, error))
        if (isOwnInterfaceStamp(stamp.path())) {
            win::writeStamp(stamp.path(), OPEN_EXISTING);
            return;
        }
    // Anyone may have taken our plain name first; nobody can have taken this one.
    const std::wstring own = win::ownStampName();
    if (!win::writeStamp(dir / own, CREATE_NEW))
        win::writeStamp(dir / (own + L"." + win::unguessableSuffix()), CREATE_NEW);
}

} // namespace platform
