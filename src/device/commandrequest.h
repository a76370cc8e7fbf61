#pragma once

#include <array>
#include <cstdint>

// The 37-byte request of the command (iocode::Command) and query (iocode::QueryCommand) codes.
struct CommandRequest
{
    std::uint8_t requestCode = 0x01;
    std::uint8_t target = 0;
    std::uint8_t reserved = 0;
    std::uint8_t selector = 0;
    std::uint8_t channel = 0;
    std::uint8_t value[2] = {0, 0}; // little-endian
    std::uint8_t tail[30] = {};

    static CommandRequest make(std::uint8_t target, std::uint8_t selector = 0, int channel = 0,
                               int value = 0)
    {
        CommandRequest request;
        request.target = target;
        request.selector = selector;
        request.channel = std::uint8_t(channel);
        request.value[0] = std::uint8_t(value);
        request.value[1] = std::uint8_t(unsigned(value) >> 8);
        return request;
    }
};
static_assert(sizeof(CommandRequest) == 37, "the driver expects exactly 37 bytes");

namespace commandtarget {
inline constexpr std::uint8_t OutVolume = 0x03;
inline constexpr std::uint8_t MicVolume = 0x07;
inline constexpr std::uint8_t Mic20dB = 0x5A;
inline constexpr std::uint8_t Mic48V = 0x5B;
inline constexpr std::uint8_t UpgradeFirmware = 0x60;
inline constexpr std::uint8_t MicInstrument = 0x64;
inline constexpr std::uint8_t FirmwareVersion = 0x65;
} // namespace commandtarget

// Selector of the two volume requests.
inline constexpr std::uint8_t kVolumeSelector = 0x02;
