#include "device.h"
#include "widestring_win.h"
#include "win32errors.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <vector>
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

// How long a cancelled request may take to come back before its buffers are
// left to it.
constexpr DWORD kCancelTimeoutMs = 1000;

// One overlapped request's event, OVERLAPPED and output, which the driver
// owns until the request completes.
struct PendingRequest
{
    OVERLAPPED overlapped {};
    std::vector<std::uint8_t> out;

    explicit PendingRequest(std::uint32_t outSize)
        : out(outSize)
    {
        overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~PendingRequest() { CloseHandle(overlapped.hEvent); }
    PendingRequest(const PendingRequest &) = delete;
    PendingRequest &operator=(const PendingRequest &) = delete;
};

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
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
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
    const HANDLE device = reinterpret_cast<HANDLE>(handle);
    auto request = std::make_unique<PendingRequest>(outSize);
    if (!request->overlapped.hEvent) {
        error = GetLastError();
        return false;
    }
    DWORD returned = 0;
    BOOL done = DeviceIoControl(device, code, const_cast<void *>(in), inSize, request->out.data(), outSize, &returned,
                                &request->overlapped);
    if (!done && GetLastError() == ERROR_IO_PENDING) {
        if (WaitForSingleObject(request->overlapped.hEvent, kRequestTimeoutMs) != WAIT_OBJECT_0) {
            CancelIoEx(device, &request->overlapped);
            // A driver that does not give the request back keeps writing into
            // its buffers whenever it completes it: they stay allocated.
            if (WaitForSingleObject(request->overlapped.hEvent, kCancelTimeoutMs) != WAIT_OBJECT_0) {
                request.release();
                error = kErrorSemTimeout;
                return false;
            }
        }
        // Back within the grace, the request says itself whether it was
        // cancelled or done: one the driver finished is a success, however late.
        done = GetOverlappedResult(device, &request->overlapped, &returned, FALSE);
        if (!done && GetLastError() == ERROR_OPERATION_ABORTED) {
            error = kErrorSemTimeout;
            return false;
        }
    }
    if (!done) {
        error = GetLastError();
        return false;
    }
    std::copy_n(request->out.begin(), std::min<DWORD>(returned, outSize), static_cast<std::uint8_t *>(out));
    error = kErrorSuccess;
    return true;
}

void closeDevice(Handle handle)
{
    if (handle != kInvalidHandle)
        CloseHandle(reinterpret_cast<HANDLE>(handle));
}

} // namespace platform
