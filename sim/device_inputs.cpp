#include "device_inputs.h"

#include "console.h"
#include "device_ranges.h"

#include <algorithm>
#include <iterator>

namespace {

bool fixedBytesValid(const CommandRequest &request)
{
    return request.requestCode == 0x01 && request.reserved == 0
           && std::all_of(std::begin(request.tail), std::end(request.tail), [](std::uint8_t b) { return b == 0; });
}

bool hasValue(const CommandRequest &request)
{
    return request.value[0] != 0 || request.value[1] != 0;
}

bool channelValid(const CommandRequest &request)
{
    return request.channel >= 1 && request.channel <= InputStage::kChannels;
}

bool applySwitch(bool (&states)[InputStage::kChannels + 1], const CommandRequest &request, const char *what)
{
    if (request.selector > 1 || !channelValid(request) || hasValue(request))
        return false;
    states[request.channel] = request.selector == 1;
    say("mic %u %s %s", unsigned(request.channel), what, request.selector ? "on" : "off");
    return true;
}

bool applyVolume(std::uint16_t (&volumes)[InputStage::kChannels + 1], const CommandRequest &request,
                 std::uint16_t limit, const char *what)
{
    const std::uint16_t value = std::uint16_t(request.value[0] | request.value[1] << 8);
    if (request.selector != kVolumeSelector || !channelValid(request) || value > limit)
        return false;
    volumes[request.channel] = value;
    say("%s %u set to %u", what, unsigned(request.channel), unsigned(volumes[request.channel]));
    return true;
}

} // namespace

bool applyCommand(InputStage &stage, const CommandRequest &request)
{
    if (!fixedBytesValid(request))
        return false;
    switch (request.target) {
    case commandtarget::MicVolume:
        return applyVolume(stage.micGain, request, stage.micGainLimit, "mic gain");
    case commandtarget::OutVolume:
        return applyVolume(stage.outVolume, request, kOutVolumeLimit, "out volume");
    case commandtarget::Mic20dB:
        return applySwitch(stage.pad, request, "20 dB pad");
    case commandtarget::Mic48V:
        return applySwitch(stage.phantom, request, "48 V");
    case commandtarget::MicInstrument:
        return applySwitch(stage.instrument, request, "instrument");
    case commandtarget::UpgradeFirmware:
        if (request.selector != 0 || request.channel != 0 || hasValue(request))
            return false;
        say("firmware upgrade requested");
        return true;
    default:
        return false;
    }
}

bool isFirmwareQuery(const CommandRequest &request)
{
    return fixedBytesValid(request) && request.target == commandtarget::FirmwareVersion && request.selector == 0
           && request.channel == 0 && !hasValue(request);
}
