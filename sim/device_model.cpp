#include "device_model.h"

#include "console.h"
#include "device_glitch.h"
#include "device_ranges.h"
#include "devicewire_posix.h"
#include "iocontrolcodes.h"
#include "win32errors.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorInsufficientBuffer = 122;
constexpr std::uint32_t kErrorBusy = 170;
constexpr std::uint32_t kFirmwareReplySize = 32;
constexpr std::uint32_t kUsbStatusSize = 7;
// Bytes 0-1 and 2 of the USB status, which only the driver interprets: the
// USB release in BCD (2.00), and a bit field of audio running (bit 0) and slow mode (bit 1).
constexpr std::uint16_t kUsbRelease = 0x0200;

Reply refused(std::uint32_t status)
{
    return Reply {status, {}};
}

Reply word(std::uint32_t value)
{
    Reply reply;
    reply.bytes.resize(4);
    platform::posix::wire::putU32(reply.bytes.data(), value);
    return reply;
}

CommandRequest toRequest(std::span<const std::uint8_t> in)
{
    CommandRequest request;
    std::memcpy(&request, in.data(), sizeof request);
    return request;
}

} // namespace

struct DeviceModel::Rule
{
    std::uint32_t code;
    // Exactly what the driver's table gives: a buffered driver refuses any other size.
    std::uint32_t inSize;
    std::uint32_t outSize;
    Reply (DeviceModel::*handler)(Input in, std::uint32_t outSize);
};

const DeviceModel::Rule DeviceModel::kRules[] = {
    {iocode::WriteMixer, sizeof(MixerBlock), 0, &DeviceModel::writeMixer},
    {iocode::SetBufferSize, 4, 0, &DeviceModel::setBufferSize},
    {iocode::GetBufferSize, 0, 4, &DeviceModel::getBufferSize},
    {iocode::GetUsbLatency, 0, 4, &DeviceModel::getUsbLatency},
    {iocode::SetUsbLatency, 4, 0, &DeviceModel::setUsbLatency},
    {iocode::ReadMeters, 0, sizeof(MeterBlock), &DeviceModel::readMeters},
    {iocode::StopAudio, 0, 0, &DeviceModel::stopAudio},
    {iocode::StartAudio, 0, 0, &DeviceModel::startAudio},
    {iocode::GetProductId, 0, 4, &DeviceModel::getProductId},
    {iocode::EnableSlowMode, 0, 0, &DeviceModel::enableSlowMode},
    {iocode::DisableSlowMode, 0, 0, &DeviceModel::disableSlowMode},
    {iocode::Command, sizeof(CommandRequest), 0, &DeviceModel::command},
    {iocode::QueryCommand, sizeof(CommandRequest), kFirmwareReplySize, &DeviceModel::queryCommand},
    {iocode::GetUsbStatus, 0, kUsbStatusSize, &DeviceModel::getUsbStatus},
};

DeviceModel::DeviceModel(const DeviceOptions &deviceOptions)
    : options(deviceOptions)
    , bufferSize(deviceOptions.bufferSize)
    , usbLatency(deviceOptions.usbLatency)
    , slowMode(deviceOptions.slowMode)
    , inputs {.micGainLimit = micGainLimit(deviceOptions.model)}
{
    // What the device's own firmware routes until a panel sends its block.
    applyBaseRouting(mixer);
}

Reply DeviceModel::answer(std::uint32_t code, std::span<const std::uint8_t> in, std::uint32_t outSize)
{
    if (std::find(options.failCodes.begin(), options.failCodes.end(), code) != options.failCodes.end())
        return refused(platform::kErrorGenFailure);
    const Rule *rule =
        std::find_if(std::begin(kRules), std::end(kRules), [&](const Rule &r) { return r.code == code; });
    if (rule == std::end(kRules))
        return refused(platform::kErrorInvalidFunction);
    if (in.size() != rule->inSize)
        return refused(kErrorInvalidParameter);
    if (outSize != rule->outSize)
        return refused(kErrorInsufficientBuffer);
    return (this->*rule->handler)(in, outSize);
}

Reply DeviceModel::writeMixer(Input in, std::uint32_t)
{
    MixerBlock block;
    std::memcpy(&block, in.data(), sizeof block);
    const double *first = &block.crosspoint[0][0];
    // A gain that is not a number would have the meters compute garbage.
    if (!std::all_of(first, first + sizeof block / sizeof(double), [](double gain) { return std::isfinite(gain); }))
        return refused(kErrorInvalidParameter);
    mixer = block;
    say("mixer block received");
    return {};
}

Reply DeviceModel::setBufferSize(Input in, std::uint32_t)
{
    const std::uint32_t samples = platform::posix::wire::getU32(in.data());
    if (!isBufferSize(samples))
        return refused(kErrorInvalidParameter);
    if (audioRunning) {
        say("buffer size %u refused: audio is running", unsigned(samples));
        return refused(kErrorBusy);
    }
    bufferSize = samples;
    say("buffer size set to %u", unsigned(samples));
    return {};
}

Reply DeviceModel::getBufferSize(Input, std::uint32_t)
{
    return word(bufferSize);
}

Reply DeviceModel::getUsbLatency(Input, std::uint32_t)
{
    return word(usbLatency);
}

Reply DeviceModel::setUsbLatency(Input in, std::uint32_t)
{
    const std::uint32_t frames = platform::posix::wire::getU32(in.data());
    if (!isUsbLatency(frames))
        return refused(kErrorInvalidParameter);
    if (audioRunning) {
        say("USB latency %u refused: audio is running", unsigned(frames));
        return refused(kErrorBusy);
    }
    usbLatency = frames;
    say("USB latency set to %u", unsigned(frames));
    return {};
}

Reply DeviceModel::readMeters(Input, std::uint32_t)
{
    const MeterBlock block = meters.read(inputs, mixer);
    Reply reply;
    reply.bytes.resize(sizeof block);
    std::memcpy(reply.bytes.data(), &block, sizeof block);
    return reply;
}

Reply DeviceModel::stopAudio(Input, std::uint32_t)
{
    audioRunning = false;
    say("audio stopped");
    return {};
}

Reply DeviceModel::startAudio(Input, std::uint32_t)
{
    audioRunning = true;
    say("audio started");
    return {};
}

Reply DeviceModel::getProductId(Input, std::uint32_t)
{
    if (takeGlitch()) {
        say("glitch: product id read failed");
        return refused(platform::kErrorGenFailure);
    }
    return word(options.productId);
}

Reply DeviceModel::enableSlowMode(Input, std::uint32_t)
{
    slowMode = true;
    say("slow mode on");
    return {};
}

Reply DeviceModel::disableSlowMode(Input, std::uint32_t)
{
    slowMode = false;
    say("slow mode off");
    return {};
}

Reply DeviceModel::command(Input in, std::uint32_t)
{
    return applyCommand(inputs, toRequest(in)) ? Reply {} : refused(kErrorInvalidParameter);
}

Reply DeviceModel::queryCommand(Input in, std::uint32_t)
{
    if (!isFirmwareQuery(toRequest(in)))
        return refused(kErrorInvalidParameter);
    if (options.noFirmware)
        return refused(platform::kErrorGenFailure);
    Reply reply;
    reply.bytes.assign(kFirmwareReplySize, 0);
    std::copy_n(options.firmware.begin(), std::min<std::size_t>(options.firmware.size(), kFirmwareReplySize),
                reply.bytes.begin());
    return reply;
}

Reply DeviceModel::getUsbStatus(Input, std::uint32_t)
{
    Reply reply;
    reply.bytes.resize(kUsbStatusSize);
    reply.bytes[0] = std::uint8_t(kUsbRelease);
    reply.bytes[1] = std::uint8_t(kUsbRelease >> 8);
    reply.bytes[2] = std::uint8_t((audioRunning ? 1 : 0) | (slowMode ? 2 : 0));
    platform::posix::wire::putU32(reply.bytes.data() + 3, options.usbErrors);
    return reply;
}
