#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// "\\.\pipe\KorvistASIOToPannel", where the ASIO driver writes its notices.
inline constexpr char kAsioToPanelPipe[] = "KorvistASIOToPannel";

// Each notice is read into a zeroed buffer of this size; a longer message is refused.
inline constexpr std::size_t kAsioReceiveBufferSize = 1024;
using AsioReceiveBuffer = std::array<std::uint8_t, kAsioReceiveBufferSize>;

// The first 20 bytes of a notice: five unsigned 32-bit little-endian fields.
struct AsioNotice
{
    std::uint32_t value0 = 0;
    std::uint32_t bufferSize = 0;
    std::uint32_t value2 = 0;
    std::uint32_t value3 = 0;
    std::uint32_t openWindow = 0;

    // A message shorter than 20 bytes leaves the buffer's zeros in the missing fields.
    static AsioNotice fromBuffer(const AsioReceiveBuffer &buffer)
    {
        const auto field = [&buffer](std::size_t at) {
            return std::uint32_t(buffer[at]) | std::uint32_t(buffer[at + 1]) << 8
                   | std::uint32_t(buffer[at + 2]) << 16 | std::uint32_t(buffer[at + 3]) << 24;
        };
        return {field(0), field(4), field(8), field(12), field(16)};
    }
};
