#pragma once

#include "processuser_win.h"

#include <windows.h>

#include <filesystem>
#include <string>

// Whom the stamps of %ProgramData%\Korvist\InterfaceOwners can be trusted to.
// The installer makes both folders with these descriptors
// (cmake/KorvistInstaller.cmake reads the two lines below): SYSTEM and
// Administrators own them, users may list the stamps and add their own, and
// each stamp's maker alone (beside those two) may change or delete it.
namespace platform::win {

inline constexpr wchar_t kStampParentSddl[] = L"O:SYG:SYD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
inline constexpr wchar_t kStampFolderSddl[] = L"O:SYG:SYD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;;0x1200ab;;;BU)(A;OIIO;FA;;;CO)";

// Why a folder with this descriptor could let one user delete, change or hide
// another's stamps; empty when it cannot.
std::string stampFolderDistrust(PSECURITY_DESCRIPTOR descriptor);
// The same for the folder on disk, which must also be a plain folder, not a link.
std::string stampFolderDistrust(const std::filesystem::path &folder);
// Whether the user made the stamp with this descriptor: a stamp anyone else
// made under the user's name is a decoy, however it is named.
bool stampMadeBy(PSECURITY_DESCRIPTOR descriptor, const Sid &user);

} // namespace platform::win
