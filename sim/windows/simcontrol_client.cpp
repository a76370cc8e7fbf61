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

std::uint32_t setModel(const std::string &model)
{
    return send(KVS_SET_MODEL, model.data(), model.size());
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

std::uint32_t setJournal(const std::string &name)
{
    const std::wstring wide = platform::win::toUtf16(name);
    return send(KVS_SET_JOURNAL, wide.data(), wide.size() * sizeof(wchar_t));
}

std::string journalDirectory()
{
    wchar_t directory[MAX_PATH] = {};
    DWORD bytes = sizeof directory - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, KVS_PARAMETERS_KEY, KVS_JOURNAL_DIRECTORY_VALUE, RRF_RT_REG_SZ, nullptr,
                     directory, &bytes)
        != ERROR_SUCCESS)
        return {};
    // Stored as the kernel opens it, "\??\C:\...".
    const std::wstring path(directory);
    return platform::win::toUtf8(path.rfind(L"\\??\\", 0) == 0 ? path.substr(4) : path);
}

std::uint32_t stall(std::uint32_t code, bool answerOnCancel)
{
    const std::uint32_t request[2] = {code, 1};
    return send(KVS_STALL, request, answerOnCancel ? sizeof request : sizeof code);
}

} // namespace simcontrol
