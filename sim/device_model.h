#pragma once

#include "device_inputs.h"
#include "device_meters.h"
#include "device_options.h"
#include "mixerblock.h"

#include <cstdint>
#include <span>
#include <vector>

struct Reply
{
    std::uint32_t status = 0; // 0 or a Win32 error
    std::vector<std::uint8_t> bytes;
};

// The driver and the device behind it, as the fourteen I/O control codes see
// them. One device state shared by every handle; a replug starts afresh.
class DeviceModel
{
public:
    explicit DeviceModel(const DeviceOptions &options);

    Reply answer(std::uint32_t code, std::span<const std::uint8_t> in, std::uint32_t outSize);

private:
    using Input = std::span<const std::uint8_t>;
    struct Rule;
    static const Rule kRules[];

    Reply writeMixer(Input in, std::uint32_t outSize);
    Reply setBufferSize(Input in, std::uint32_t outSize);
    Reply getBufferSize(Input in, std::uint32_t outSize);
    Reply getUsbLatency(Input in, std::uint32_t outSize);
    Reply setUsbLatency(Input in, std::uint32_t outSize);
    Reply readMeters(Input in, std::uint32_t outSize);
    Reply stopAudio(Input in, std::uint32_t outSize);
    Reply startAudio(Input in, std::uint32_t outSize);
    Reply getProductId(Input in, std::uint32_t outSize);
    Reply enableSlowMode(Input in, std::uint32_t outSize);
    Reply disableSlowMode(Input in, std::uint32_t outSize);
    Reply command(Input in, std::uint32_t outSize);
    Reply queryCommand(Input in, std::uint32_t outSize);
    Reply getUsbStatus(Input in, std::uint32_t outSize);

    DeviceOptions options;
    std::uint32_t bufferSize;
    std::uint32_t usbLatency;
    bool slowMode;
    bool audioRunning = true;
    MixerBlock mixer;
    InputStage inputs;
    MeterSynth meters;
};
