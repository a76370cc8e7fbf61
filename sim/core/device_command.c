#include "device_core_parts.h"

/* Request bytes 0-6; bytes 7-36 must be zero. */
enum { REQ_CODE, REQ_TARGET, REQ_RESERVED, REQ_SELECTOR, REQ_CHANNEL, REQ_VALUE_LOW, REQ_VALUE_HIGH, REQ_TAIL };
enum {
    TARGET_OUT_VOLUME = 0x03,
    TARGET_MIC_VOLUME = 0x07,
    TARGET_MIC_20DB = 0x5A,
    TARGET_MIC_48V = 0x5B,
    TARGET_UPGRADE_FIRMWARE = 0x60,
    TARGET_MIC_INSTRUMENT = 0x64,
    TARGET_FIRMWARE_VERSION = 0x65,
    VOLUME_SELECTOR = 0x02
};

/* A full-scale output volume; the panels never send more. */
static const uint16_t kOutVolumeLimit = 100;

static int fixed_bytes_valid(const uint8_t *request)
{
    size_t i;
    for (i = REQ_TAIL; i < KORVIST_COMMAND_REQUEST_SIZE; ++i) {
        if (request[i] != 0)
            return 0;
    }
    return request[REQ_CODE] == 0x01 && request[REQ_RESERVED] == 0;
}

static int has_value(const uint8_t *request)
{
    return request[REQ_VALUE_LOW] != 0 || request[REQ_VALUE_HIGH] != 0;
}

static void tell(struct kv_event *event, enum kv_event_kind kind, uint32_t channel, uint32_t value)
{
    event->kind = kind;
    event->channel = channel;
    event->value = value;
}

static uint32_t set_volume(uint16_t *volumes, uint16_t limit, const uint8_t *request, struct kv_event *event,
                           enum kv_event_kind kind)
{
    const uint8_t channel = request[REQ_CHANNEL];
    const uint16_t value = (uint16_t)(request[REQ_VALUE_LOW] | request[REQ_VALUE_HIGH] << 8);
    if (request[REQ_SELECTOR] != VOLUME_SELECTOR || channel < 1 || channel > KV_CHANNELS || value > limit)
        return KORVIST_ERROR_INVALID_PARAMETER;
    volumes[channel] = value;
    tell(event, kind, channel, value);
    return KORVIST_ERROR_SUCCESS;
}

static uint32_t set_switch(uint8_t *states, const uint8_t *request, struct kv_event *event, enum kv_event_kind kind)
{
    const uint8_t channel = request[REQ_CHANNEL];
    const uint8_t selector = request[REQ_SELECTOR];
    if (selector > 1 || has_value(request) || channel < 1 || channel > KV_CHANNELS)
        return KORVIST_ERROR_INVALID_PARAMETER;
    states[channel] = selector;
    tell(event, kind, channel, selector);
    return KORVIST_ERROR_SUCCESS;
}

/* Every byte must be one the product can send; anything else changes nothing. */
uint32_t kv_command(struct kv_device *device, const uint8_t *request, struct kv_event *event)
{
    struct kv_state *state = &device->state;
    if (!fixed_bytes_valid(request))
        return KORVIST_ERROR_INVALID_PARAMETER;
    switch (request[REQ_TARGET]) {
    case TARGET_MIC_VOLUME:
        return set_volume(state->mic_gain, device->config.mic_gain_limit, request, event, KV_EVENT_MIC_GAIN);
    case TARGET_OUT_VOLUME:
        return set_volume(state->out_volume, kOutVolumeLimit, request, event, KV_EVENT_OUT_VOLUME);
    case TARGET_MIC_20DB:
        return set_switch(state->pad, request, event, KV_EVENT_PAD);
    case TARGET_MIC_48V:
        return set_switch(state->phantom, request, event, KV_EVENT_PHANTOM);
    case TARGET_MIC_INSTRUMENT:
        return set_switch(state->instrument, request, event, KV_EVENT_INSTRUMENT);
    case TARGET_UPGRADE_FIRMWARE:
        if (request[REQ_SELECTOR] != 0 || request[REQ_CHANNEL] != 0 || has_value(request))
            return KORVIST_ERROR_INVALID_PARAMETER;
        tell(event, KV_EVENT_FIRMWARE_UPGRADE, 0, 0);
        return KORVIST_ERROR_SUCCESS;
    default:
        return KORVIST_ERROR_INVALID_PARAMETER;
    }
}

int kv_is_firmware_query(const uint8_t *request)
{
    return fixed_bytes_valid(request) && request[REQ_TARGET] == TARGET_FIRMWARE_VERSION && request[REQ_SELECTOR] == 0
           && request[REQ_CHANNEL] == 0 && !has_value(request);
}
