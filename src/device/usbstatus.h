#pragma once

#include <cstdint>

// The 7-byte USB status reply (iocode::GetUsbStatus), handed over field by field.
struct UsbStatus
{
    std::uint16_t value0 = 0;
    std::uint8_t value1 = 0;
    std::uint32_t errorCount = 0;

    static constexpr int kWireSize = 7;

    static UsbStatus fromWire(const std::uint8_t (&bytes)[kWireSize])
    {
        UsbStatus status;
        status.value0 = std::uint16_t(bytes[0] | bytes[1] << 8);
        status.value1 = bytes[2];
        status.errorCount = std::uint32_t(bytes[3]) | std::uint32_t(bytes[4]) << 8
                            | std::uint32_t(bytes[5]) << 16 | std::uint32_t(bytes[6]) << 24;
        return status;
    }
};
