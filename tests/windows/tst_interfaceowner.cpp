#include "interfaceowner.h"
#include "interfaceowner_win.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <filesystem>
#include <memory>
#include <vector>

namespace {

namespace fs = std::filesystem;
using platform::win::kStampFolderSddl;

using Descriptor = std::unique_ptr<void, decltype(&LocalFree)>;

Descriptor descriptorOf(const std::wstring &sddl)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr);
    return Descriptor(descriptor, LocalFree);
}

// A folder of the test's own, gone with it.
struct ScratchFolder {
    const fs::path path = fs::temp_directory_path() / ("korvist-owners-" + std::to_string(GetCurrentProcessId()));
    ScratchFolder() { fs::create_directories(path); }
    ~ScratchFolder() { fs::remove_all(path); }
};

struct FolderSecurity {
    const char *name;
    std::wstring sddl;
    bool trusted;
};

void PrintTo(const FolderSecurity &security, std::ostream *out)
{
    *out << security.name;
}

class StampFolderSecurity : public ::testing::TestWithParam<FolderSecurity> {};

TEST_P(StampFolderSecurity, TrustedOnlyWhereUsersKeepToTheirOwnStamps)
{
    const Descriptor descriptor = descriptorOf(GetParam().sddl);
    ASSERT_TRUE(descriptor) << GetLastError();
    const std::string why = platform::win::stampFolderDistrust(descriptor.get());
    EXPECT_EQ(why.empty(), GetParam().trusted) << why;
}

const std::wstring kInstallerFolder = kStampFolderSddl;

INSTANTIATE_TEST_SUITE_P(
    Descriptors, StampFolderSecurity,
    ::testing::Values(FolderSecurity {"MadeByTheInstaller", kInstallerFolder, true},
                      FolderSecurity {"ItsParentMadeByTheInstaller", platform::win::kStampParentSddl, true},
                      FolderSecurity {"OwnedByAUser",
                                      L"O:S-1-5-21-1-2-3-1001" + kInstallerFolder.substr(kInstallerFolder.find(L"G:")),
                                      false},
                      FolderSecurity {"UsersMayDeleteOthersStamps", kInstallerFolder + L"(A;;0x40;;;BU)", false},
                      FolderSecurity {"UsersMayChangeOthersStamps", kInstallerFolder + L"(A;OIIO;FW;;;BU)", false}),
    [](const ::testing::TestParamInfo<FolderSecurity> &info) { return std::string(info.param.name); });

// Anyone may add a file under our name: only one that we made is ours.
TEST(InterfaceStamp, MadeUnderOurNameBySomeoneElseIsNotOurs)
{
    const Descriptor system = descriptorOf(L"O:SYG:SY");
    ASSERT_TRUE(system) << GetLastError();
    EXPECT_FALSE(platform::win::stampMadeBy(system.get(), platform::win::processUser(GetCurrentProcessId())));
}

TEST(InterfaceStamp, OneStampIsWrittenAndKnownAsOurs)
{
    const ScratchFolder folder;
    platform::stampInterfaceDrivenHere(folder.path);
    platform::stampInterfaceDrivenHere(folder.path);
    const std::vector<fs::directory_entry> stamps(fs::directory_iterator(folder.path), {});
    ASSERT_EQ(stamps.size(), 1u);
    EXPECT_TRUE(platform::isOwnInterfaceStamp(stamps.front().path()));
}

// Folders a user made, as anyone could before the installer ran; wine makes
// every file its one user's, whatever a program asks for.
TEST(InterfaceStamp, FolderAUserMadeIsNotUsed)
{
    const ScratchFolder programData;
    const fs::path stamps = programData.path / "Korvist" / "InterfaceOwners";
    fs::create_directories(stamps);
    ASSERT_EQ(_wputenv_s(L"ProgramData", programData.path.c_str()), 0);
    std::string why;
    EXPECT_TRUE(platform::interfaceDrivenElsewhereLast(&why));
    EXPECT_EQ(why.rfind("%ProgramData%\\Korvist", 0), 0u) << why;

    // Once this program drove the interface, the session watch tells it of any take-over.
    platform::markInterfaceDrivenHere();
    EXPECT_TRUE(fs::is_empty(stamps));
    why.clear();
    EXPECT_FALSE(platform::interfaceDrivenElsewhereLast(&why));
    EXPECT_EQ(why, "");
}

} // namespace
