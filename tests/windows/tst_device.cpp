#include "device.h"
#include "deviceclass.h"
#include "iocontrolcodes.h"
#include "testsupport.h"
#include "win32errors.h"

#include <algorithm>
#include <array>
#include <windows.h>
#include <setupapi.h>

using platform::Guid;
using platform::kInvalidHandle;

namespace {

constexpr Guid kUnusedInterface {0x3F2A7C41, 0x0D5E, 0x4B8F, {0x9A, 0x61, 0x27, 0xC4, 0x8E, 0x15, 0xB0, 0x93}};
constexpr Guid kTestInterface {0x1D9A5C1E, 0x3B7E, 0x4C2A, {0x9F, 0x10, 0x5A, 0x2E, 0x11, 0x77, 0x42, 0x0B}};
constexpr std::uint32_t kErrorPathNotFound = 3;
constexpr std::uint32_t kErrorSharingViolation = 32;

GUID toWin32(const Guid &guid)
{
    GUID result {guid.data1, guid.data2, guid.data3, {}};
    std::copy(std::begin(guid.data4), std::end(guid.data4), std::begin(result.Data4));
    return result;
}

std::string asciiLower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    return text;
}

struct Absent
{
    const char *label;
    Guid interfaceClass;
};

class AbsentDevice : public ::testing::TestWithParam<Absent>
{};

TEST_P(AbsentDevice, IsNotFoundWithNoMoreItems)
{
    std::uint32_t error = 0;
    EXPECT_EQ(platform::findDeviceInterface(GetParam().interfaceClass, error), std::nullopt);
    EXPECT_EQ(error, platform::kErrorNoMoreItems);
}

INSTANTIATE_TEST_SUITE_P(Win32, AbsentDevice,
                         ::testing::Values(Absent {"KorvistInterface", deviceclass::kInterfaceClass},
                                           Absent {"UnusedInterface", kUnusedInterface}),
                         [](const auto &info) { return std::string(info.param.label); });

// A root-enumerated device with an enabled interface of the test class, as a
// driver would register it; the reference string is not ASCII so that the path
// must survive the UTF-16 to UTF-8 conversion.
class RegisteredInterface : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Enabling an interface by hand needs a writable machine registry: only
        // the throw-away wine prefix of the test run offers one.
        if (!testsupport::runningUnderWine())
            GTEST_SKIP() << "registers a device; run only in a throw-away wine prefix";
        GUID classGuid = toWin32(kTestInterface);
        devices = SetupDiCreateDeviceInfoList(&classGuid, nullptr);
        ASSERT_NE(devices, INVALID_HANDLE_VALUE);
        device.cbSize = sizeof device;
        ASSERT_TRUE(SetupDiCreateDeviceInfoW(devices, L"ROOT\\KORVISTTEST\\0000", &classGuid, nullptr, nullptr, 0,
                                             &device));
        ASSERT_TRUE(SetupDiRegisterDeviceInfo(devices, &device, 0, nullptr, nullptr, nullptr));
        SP_DEVICE_INTERFACE_DATA interfaceData {};
        interfaceData.cbSize = sizeof interfaceData;
        ASSERT_TRUE(SetupDiCreateDeviceInterfaceW(devices, &device, &classGuid, L"Korvist-\u00fc\u6d4b", 0,
                                                  &interfaceData));
        markLinked(classGuid);
    }

    void TearDown() override
    {
        if (devices == INVALID_HANDLE_VALUE)
            return;
        SetupDiRemoveDevice(devices, &device);
        SetupDiDestroyDeviceInfoList(devices);
    }

    // What the kernel does when a driver enables the interface.
    static void markLinked(const GUID &classGuid)
    {
        HKEY classKey = SetupDiOpenClassRegKeyExW(&classGuid, KEY_ALL_ACCESS, DIOCR_INTERFACE, nullptr, nullptr);
        ASSERT_NE(classKey, INVALID_HANDLE_VALUE);
        std::array<wchar_t, 512> link {};
        DWORD length = DWORD(link.size());
        for (DWORD i = 0; RegEnumKeyExW(classKey, i, link.data(), &length, nullptr, nullptr, nullptr, nullptr) == 0;
             ++i, length = DWORD(link.size())) {
            HKEY linkKey = nullptr;
            ASSERT_EQ(RegOpenKeyExW(classKey, link.data(), 0, KEY_ALL_ACCESS, &linkKey), 0);
            std::array<wchar_t, 512> reference {};
            DWORD referenceLength = DWORD(reference.size());
            for (DWORD j = 0; RegEnumKeyExW(linkKey, j, reference.data(), &referenceLength, nullptr, nullptr, nullptr,
                                            nullptr)
                              == 0;
                 ++j, referenceLength = DWORD(reference.size())) {
                HKEY control = nullptr;
                const DWORD linked = 1;
                ASSERT_EQ(RegCreateKeyExW(linkKey, (std::wstring(reference.data()) + L"\\Control").c_str(), 0,
                                          nullptr, 0, KEY_ALL_ACCESS, nullptr, &control, nullptr),
                          0);
                RegSetValueExW(control, L"Linked", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&linked),
                               sizeof linked);
                RegCloseKey(control);
            }
            RegCloseKey(linkKey);
        }
        RegCloseKey(classKey);
    }

    HDEVINFO devices = INVALID_HANDLE_VALUE;
    SP_DEVINFO_DATA device {};
};

TEST_F(RegisteredInterface, IsFoundAsUtf8PathThatNoDriverServes)
{
    std::uint32_t error = 0;
    const std::optional<std::string> path = platform::findDeviceInterface(kTestInterface, error);
    ASSERT_TRUE(path.has_value()) << error;
    EXPECT_EQ(error, platform::kErrorSuccess);
    EXPECT_EQ(asciiLower(*path),
              "\\\\?\\root#korvisttest#0000#{1d9a5c1e-3b7e-4c2a-9f10-5a2e1177420b}\\korvist-\xC3\xBC\xE6\xB5\x8B");
    EXPECT_EQ(platform::openDevice(*path, error), kInvalidHandle);
    EXPECT_EQ(error, kErrorPathNotFound);
}

struct BogusPath
{
    const char *label;
    const char *path;
    std::uint32_t error;
};

class BogusDevicePath : public ::testing::TestWithParam<BogusPath>
{};

TEST_P(BogusDevicePath, FailsToOpenCleanly)
{
    std::uint32_t error = 0;
    EXPECT_EQ(platform::openDevice(GetParam().path, error), kInvalidHandle);
    EXPECT_EQ(error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Win32, BogusDevicePath,
    ::testing::Values(BogusPath {"NoSuchDevice", "\\\\.\\KorvistNoSuchDevice", platform::kErrorFileNotFound},
                      BogusPath {"NoSuchDirectory", "C:\\korvist\\no\\such\\dir\\device", kErrorPathNotFound},
                      BogusPath {"Empty", "", kErrorPathNotFound}),
    [](const auto &info) { return std::string(info.param.label); });

struct FileName
{
    const char *label;
    std::string utf8;
    std::wstring utf16;
};

// A file stands in for a device that openDevice can really open.
class OpenedFile : public ::testing::TestWithParam<FileName>
{
protected:
    void SetUp() override
    {
        const std::string pid = std::to_string(GetCurrentProcessId());
        utf8Name = pid + GetParam().utf8;
        utf16Name = std::wstring(pid.begin(), pid.end()) + GetParam().utf16;
        const HANDLE file = CreateFileW(utf16Name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
        CloseHandle(file);
    }

    void TearDown() override { DeleteFileW(utf16Name.c_str()); }

    std::string utf8Name;
    std::wstring utf16Name;
};

TEST_P(OpenedFile, IsHeldUntilClosed)
{
    std::uint32_t error = 0;
    const platform::Handle handle = platform::openDevice(utf8Name, error);
    ASSERT_NE(handle, kInvalidHandle) << error;
    EXPECT_EQ(error, platform::kErrorSuccess);
    EXPECT_FALSE(DeleteFileW(utf16Name.c_str()));
    EXPECT_EQ(GetLastError(), kErrorSharingViolation);
    platform::closeDevice(handle);
    EXPECT_TRUE(DeleteFileW(utf16Name.c_str())) << GetLastError();
}

TEST_P(OpenedFile, RefusesIoControlAndLeavesTheOutputAlone)
{
    std::uint32_t error = 0;
    const platform::Handle handle = platform::openDevice(utf8Name, error);
    ASSERT_NE(handle, kInvalidHandle) << error;
    std::array<std::uint8_t, 4> productId {0xAA, 0xAA, 0xAA, 0xAA};
    EXPECT_FALSE(platform::ioControl(handle, iocode::GetProductId, nullptr, 0, productId.data(), 4, error));
    EXPECT_NE(error, platform::kErrorSuccess);
    EXPECT_EQ(productId, (std::array<std::uint8_t, 4> {0xAA, 0xAA, 0xAA, 0xAA}));
    platform::closeDevice(handle);
}

INSTANTIATE_TEST_SUITE_P(Win32, OpenedFile,
                         ::testing::Values(FileName {"Ascii", "-korvist-device.bin", L"-korvist-device.bin"},
                                           FileName {"NonAscii", "-korvist-\xC3\xBC\xE6\xB5\x8B.bin",
                                                     L"-korvist-\u00fc\u6d4b.bin"}),
                         [](const auto &info) { return std::string(info.param.label); });

TEST(InvalidHandle, IoControlFailsWithoutTouchingTheOutput)
{
    std::uint32_t error = 0;
    std::array<std::uint8_t, 4> productId {0xAA, 0xAA, 0xAA, 0xAA};
    EXPECT_FALSE(platform::ioControl(kInvalidHandle, iocode::GetProductId, nullptr, 0, productId.data(), 4, error));
    EXPECT_EQ(error, platform::kErrorInvalidHandle);
    EXPECT_EQ(productId, (std::array<std::uint8_t, 4> {0xAA, 0xAA, 0xAA, 0xAA}));
}

} // namespace
