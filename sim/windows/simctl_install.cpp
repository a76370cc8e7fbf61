#include "simctl_install.h"

#include "device.h"
#include "simcontrol.h"
#include "widestring_win.h"

#include <memory>
#include <windows.h>
#include <newdev.h>
#include <setupapi.h>

namespace simctl {

namespace {

// The driver starts asynchronously after the install returns.
constexpr int kStartPolls = 200;
constexpr DWORD kStartPollMs = 50;

struct SetCloser
{
    void operator()(void *set) const { SetupDiDestroyDeviceInfoList(set); }
};
using DeviceSet = std::unique_ptr<void, SetCloser>;

std::uint32_t lastError()
{
    return std::uint32_t(GetLastError());
}

std::uint32_t waitForControlDevice()
{
    std::uint32_t error = 0;
    for (int poll = 0; poll < kStartPolls; ++poll) {
        const platform::Handle control = platform::openDevice(KVS_CONTROL_PATH, error);
        if (control != platform::kInvalidHandle) {
            platform::closeDevice(control);
            return 0;
        }
        Sleep(kStartPollMs);
    }
    return error;
}

// An existing device from an earlier install is kept: its driver is updated.
std::uint32_t registerDevice()
{
    const DeviceSet set(SetupDiCreateDeviceInfoList(nullptr, nullptr));
    if (set.get() == INVALID_HANDLE_VALUE)
        return lastError();
    SP_DEVINFO_DATA device {};
    device.cbSize = sizeof device;
    GUID noClass {};
    if (!SetupDiCreateDeviceInfoW(set.get(), KVS_INSTANCE_ID, &noClass, nullptr, nullptr, 0, &device))
        return GetLastError() == ERROR_DEVINST_ALREADY_EXISTS ? 0 : lastError();
    static const wchar_t kHardwareIds[] = KVS_HARDWARE_ID L"\0";
    if (!SetupDiSetDeviceRegistryPropertyW(set.get(), &device, SPDRP_HARDWAREID,
                                           reinterpret_cast<const BYTE *>(kHardwareIds), sizeof kHardwareIds)
        || !SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set.get(), &device))
        return lastError();
    return 0;
}

std::wstring fullPath(const std::string &path, std::uint32_t &error)
{
    std::wstring full(MAX_PATH, L'\0');
    const DWORD length = GetFullPathNameW(platform::win::toUtf16(path).c_str(), DWORD(full.size()), full.data(),
                                          nullptr);
    error = length == 0 ? lastError() : length >= full.size() ? ERROR_FILENAME_EXCED_RANGE : 0;
    full.resize(error ? 0 : length);
    return full;
}

// The driver writes its journal only there, under a key only administrators may change.
// It creates the directory itself, with an ACL of its own instead of the parent's.
std::uint32_t fixJournalDirectory(const std::string &directory)
{
    std::uint32_t error = 0;
    const std::wstring full = fullPath(directory, error);
    if (error)
        return error;
    // The kernel opens only NT paths.
    const std::wstring ntPath = L"\\??\\" + full;
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, KVS_PARAMETERS_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                     &key, nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExW(key, KVS_JOURNAL_DIRECTORY_VALUE, 0, REG_SZ,
                                reinterpret_cast<const BYTE *>(ntPath.c_str()),
                                DWORD((ntPath.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    return std::uint32_t(status);
}

} // namespace

std::uint32_t install(const std::string &infPath, const std::string &journalDirectory)
{
    std::uint32_t error = 0;
    const std::wstring full = fullPath(infPath, error);
    if (error)
        return error;
    if (GetFileAttributesW(full.c_str()) == INVALID_FILE_ATTRIBUTES)
        return lastError();
    if ((error = registerDevice()))
        return error;
    BOOL reboot = FALSE;
    if (!UpdateDriverForPlugAndPlayDevicesW(nullptr, KVS_HARDWARE_ID, full.c_str(), INSTALLFLAG_FORCE, &reboot))
        return lastError();
    if ((error = fixJournalDirectory(journalDirectory)))
        return error;
    return waitForControlDevice();
}

std::uint32_t remove()
{
    const DeviceSet set(SetupDiCreateDeviceInfoList(nullptr, nullptr));
    if (set.get() == INVALID_HANDLE_VALUE)
        return lastError();
    SP_DEVINFO_DATA device {};
    device.cbSize = sizeof device;
    if (!SetupDiOpenDeviceInfoW(set.get(), KVS_INSTANCE_ID, nullptr, 0, &device)
        || !SetupDiCallClassInstaller(DIF_REMOVE, set.get(), &device))
        return lastError();
    return 0;
}

} // namespace simctl
