#include "device_core_host.h"

#include "console.h"
#include "device_glitch.h"

#include <algorithm>

namespace {

const char *switchName(kv_event_kind kind)
{
    return kind == KV_EVENT_PAD ? "20 dB pad" : kind == KV_EVENT_PHANTOM ? "48 V" : "instrument";
}

void tell(const kv_event &event)
{
    switch (event.kind) {
    case KV_EVENT_NONE:
        break;
    case KV_EVENT_MIXER:
        say("mixer block received");
        break;
    case KV_EVENT_BUFFER_SIZE_SET:
        say("buffer size set to %u", unsigned(event.value));
        break;
    case KV_EVENT_BUFFER_SIZE_BUSY:
        say("buffer size %u refused: audio is running", unsigned(event.value));
        break;
    case KV_EVENT_USB_LATENCY_SET:
        say("USB latency set to %u", unsigned(event.value));
        break;
    case KV_EVENT_USB_LATENCY_BUSY:
        say("USB latency %u refused: audio is running", unsigned(event.value));
        break;
    case KV_EVENT_AUDIO_STOPPED:
    case KV_EVENT_AUDIO_STARTED:
        say("audio %s", event.kind == KV_EVENT_AUDIO_STARTED ? "started" : "stopped");
        break;
    case KV_EVENT_SLOW_MODE_ON:
    case KV_EVENT_SLOW_MODE_OFF:
        say("slow mode %s", event.kind == KV_EVENT_SLOW_MODE_ON ? "on" : "off");
        break;
    case KV_EVENT_GLITCH:
        say("glitch: product id read failed");
        break;
    case KV_EVENT_MIC_GAIN:
    case KV_EVENT_OUT_VOLUME:
        say("%s %u set to %u", event.kind == KV_EVENT_MIC_GAIN ? "mic gain" : "out volume", unsigned(event.channel),
            unsigned(event.value));
        break;
    case KV_EVENT_PAD:
    case KV_EVENT_PHANTOM:
    case KV_EVENT_INSTRUMENT:
        say("mic %u %s %s", unsigned(event.channel), switchName(event.kind), event.value ? "on" : "off");
        break;
    case KV_EVENT_FIRMWARE_UPGRADE:
        say("firmware upgrade requested");
        break;
    }
}

} // namespace

CoreDevice::CoreDevice(const DeviceOptions &options)
{
    kv_config &config = device.config;
    kv_config_defaults(&config);
    kv_config_model(&config, options.model.data(), options.model.size());
    config.product_id = options.productId;
    config.has_firmware = !options.noFirmware;
    // The signal moves over time here; the core's own movement would add to it.
    config.meters_move = 0;
    const auto firmware = reinterpret_cast<const std::uint8_t *>(options.firmware.data());
    kv_set_firmware(&config, firmware, std::min<std::size_t>(options.firmware.size(), KV_FIRMWARE_SIZE));
    config.usb_errors = options.usbErrors;
    for (const std::uint32_t code : options.failCodes)
        kv_fail(&config, code, KORVIST_ERROR_GEN_FAILURE);

    kv_state &state = device.state;
    kv_state_power_on(&state);
    state.buffer_size = options.bufferSize;
    state.usb_latency = options.usbLatency;
    state.slow_mode = options.slowMode;
}

Reply CoreDevice::answer(std::uint32_t code, std::span<const std::uint8_t> in, std::uint32_t outSize)
{
    device.config.glitches += takeGlitches();
    if (code == KORVIST_IOCTL_READ_METERS) {
        std::int32_t levels[MeterSynth::kLevels];
        meters.read(levels);
        kv_set_meters(&device.config, levels, MeterSynth::kLevels);
    }
    // The meter block is the longest reply; the core writes nothing for an output size other than its code's.
    std::uint8_t out[KORVIST_METER_BLOCK_SIZE];
    std::uint32_t written = 0;
    kv_event event {};
    Reply reply;
    reply.status = kv_answer(&device, code, in.data(), std::uint32_t(in.size()), out, outSize, &written, &event);
    reply.bytes.assign(out, out + written);
    tell(event);
    return reply;
}
