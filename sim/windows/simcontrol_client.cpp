#include "simcontrol_client.h"

#include "device.h"
#include "simcontrol.h"
#include "widestring_win.h"

#include <windows.h>

namespace simcontrol {

namespace {

std::uint32_t send(std::uint32_t code, const void *in = nullptr, std::size_t size = 0)
{
    std::uint32_t error = 0;
    const platform::Handle control = platform::openDevice(KVS_CONTROL_PATH, error);
    if (control == platform::kInvalidHandle)
        return error;
    platform::ioControl(control, code, in, std::uint32_t(size), nullptr, 0, error);
    platform::closeDevice(control);
    return error;
}

std::uint32_t sendWord(std::uint32_t code, std::uint32_t value)
{
    return send(code, &value, sizeof value);
}

} // namespace

std::uint32_t plug()
{
    return send(KVS_PLUG);
}

std::uint32_t unplug()
{
    return send(KVS_UNPLUG);
}

std::uint32_t reset()
{
    return send(KVS_RESET);
}

std::uint32_t setProductId(std::uint32_t productId)
{
    return sendWord(KVS_SET_PRODUCT_ID, productId);
}

std::uint32_t setFirmware(const std::string &text)
{
    return send(KVS_SET_FIRMWARE, text.data(), text.size());
}

std::uint32_t setMeters(const std::vector<std::int32_t> &levels)
{
    return send(KVS_SET_METERS, levels.data(), levels.size() * sizeof(std::int32_t));
}

std::uint32_t setUsbErrors(std::uint32_t count)
{
    return sendWord(KVS_SET_USB_ERRORS, count);
}

std::uint32_t failCode(std::uint32_t code, std::uint32_t error)
{
    const std::uint32_t request[2] = {code, error};
    return send(KVS_FAIL_CODE, request, sizeof request);
}

std::uint32_t setJournal(const std::string &path)
{
    if (path.empty())
        return send(KVS_SET_JOURNAL);
    const std::wstring relative = platform::win::toUtf16(path);
    std::wstring full(MAX_PATH, L'\0');
    const DWORD length = GetFullPathNameW(relative.c_str(), DWORD(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size())
        return std::uint32_t(length == 0 ? GetLastError() : ERROR_FILENAME_EXCED_RANGE);
    // The driver opens it from kernel mode, where only NT paths exist.
    const std::wstring ntPath = L"\\??\\" + full.substr(0, length);
    return send(KVS_SET_JOURNAL, ntPath.data(), ntPath.size() * sizeof(wchar_t));
}

} // namespace simcontrol
