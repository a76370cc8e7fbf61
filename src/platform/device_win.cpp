#include "device.h"
#include "widestring_win.h"
#include "win32errors.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <windows.h>
#include <setupapi.h>

namespace platform {

namespace {

GUID toWin32(const Guid &guid)
{
    GUID result {guid.data1, guid.data2, guid.data3, {}};
    std::copy(std::begin(guid.data4), std::end(guid.data4), std::begin(result.Data4));
    return result;
}

// The device information set must be destroyed on every way out of the search.
struct DeviceInfoSetCloser
{
    void operator()(void *set) const { SetupDiDestroyDeviceInfoList(set); }
};
using DeviceInfoSet = std::unique_ptr<void, DeviceInfoSetCloser>;

struct LocalFreer
{
    void operator()(void *memory) const { LocalFree(memory); }
};
using DetailBuffer = std::unique_ptr<SP_DEVICE_INTERFACE_DETAIL_DATA_W, LocalFreer>;

} // namespace

std::optional<std::string> findDeviceInterface(const Guid &interfaceClass, std::uint32_t &error)
{
    GUID classGuid = toWin32(interfaceClass);
    const HDEVINFO rawSet =
        SetupDiGetClassDevsW(&classGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (rawSet == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return std::nullopt;
    }
    const DeviceInfoSet set(rawSet);

    SP_DEVICE_INTERFACE_DATA interfaceData {};
    interfaceData.cbSize = sizeof interfaceData;
    if (!SetupDiEnumDeviceInterfaces(set.get(), nullptr, &classGuid, 0, &interfaceData)) {
        error = GetLastError();
        return std::nullopt;
    }

    DWORD requiredSize = 0;
    SetupDiGetDeviceInterfaceDetailW(set.get(), &interfaceData, nullptr, 0, &requiredSize, nullptr);
    if (requiredSize == 0) {
        error = GetLastError();
        return std::nullopt;
    }
    const DetailBuffer detail(
        static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W *>(LocalAlloc(LMEM_ZEROINIT, requiredSize)));
    if (!detail) {
        error = GetLastError();
        return std::nullopt;
    }
    // The fixed part's size, not the buffer's: that is how the call knows the layout.
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!SetupDiGetDeviceInterfaceDetailW(set.get(), &interfaceData, detail.get(), requiredSize, nullptr,
                                          nullptr)) {
        error = GetLastError();
        return std::nullopt;
    }
    error = kErrorSuccess;
    return win::toUtf8(detail->DevicePath);
}

Handle openDevice(const std::string &path, std::uint32_t &error)
{
    const HANDLE device = CreateFileW(win::toUtf16(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return kInvalidHandle;
    }
    error = kErrorSuccess;
    return reinterpret_cast<Handle>(device);
}

bool ioControl(Handle handle, std::uint32_t code, const void *in, std::uint32_t inSize, void *out,
               std::uint32_t outSize, std::uint32_t &error)
{
    DWORD returned = 0;
    if (!DeviceIoControl(reinterpret_cast<HANDLE>(handle), code, const_cast<void *>(in), inSize, out,
                         outSize, &returned, nullptr)) {
        error = GetLastError();
        return false;
    }
    error = kErrorSuccess;
    return true;
}

void closeDevice(Handle handle)
{
    if (handle != kInvalidHandle)
        CloseHandle(reinterpret_cast<HANDLE>(handle));
}

} // namespace platform
