#pragma once

#include "core/device_core.h"
#include "device_meters.h"
#include "device_options.h"

#include <cstdint>
#include <span>
#include <vector>

struct Reply
{
    std::uint32_t status = 0; // 0 or a Win32 error
    std::vector<std::uint8_t> bytes;
};

// The device model of sim/core, as korvist-sim hosts it: one device state
// shared by every handle, its meters fed by a signal that moves over time,
// and a line on stdout for what each request changed.
class CoreDevice
{
public:
    explicit CoreDevice(const DeviceOptions &options);

    Reply answer(std::uint32_t code, std::span<const std::uint8_t> in, std::uint32_t outSize);

private:
    kv_device device {};
    MeterSynth meters;
};
