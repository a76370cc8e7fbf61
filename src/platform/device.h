#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Access to the kernel driver's device interface: discovery, open, one
// synchronous I/O control request at a time, close. Errors are Win32 numbers.
namespace platform {

using Handle = std::intptr_t; // HANDLE on Windows, a file descriptor elsewhere
inline constexpr Handle kInvalidHandle = -1;
// The longest one request may take, reply included: a driver that holds it
// longer has stopped answering, and the window must not wait with it.
inline constexpr std::uint32_t kRequestTimeoutMs = 5000;

struct Guid
{
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};

// "{6EB9AB90-B331-4508-B903-48AAA26EA4F1}" form, upper case.
std::string guidToString(const Guid &guid);

// First present interface of the class (member index 0), as SetupDi enumerates it.
std::optional<std::string> findDeviceInterface(const Guid &interfaceClass, std::uint32_t &error);
Handle openDevice(const std::string &path, std::uint32_t &error);
bool ioControl(Handle handle, std::uint32_t code, const void *in, std::uint32_t inSize, void *out,
               std::uint32_t outSize, std::uint32_t &error);
void closeDevice(Handle handle);

} // namespace platform
