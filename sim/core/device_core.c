#include "device_core_parts.h"

/* The codes in the order of their function numbers, with the exact sizes a
 * request of each must offer. */
struct rule
{
    uint32_t code;
    uint32_t in_size;
    uint32_t out_size;
};

static const struct rule kRules[KV_CODES] = {
    {KORVIST_IOCTL_WRITE_MIXER, KORVIST_MIXER_BLOCK_SIZE, 0},
    {KORVIST_IOCTL_SET_BUFFER_SIZE, KORVIST_WORD_SIZE, 0},
    {KORVIST_IOCTL_GET_BUFFER_SIZE, 0, KORVIST_WORD_SIZE},
    {KORVIST_IOCTL_GET_USB_LATENCY, 0, KORVIST_WORD_SIZE},
    {KORVIST_IOCTL_SET_USB_LATENCY, KORVIST_WORD_SIZE, 0},
    {KORVIST_IOCTL_READ_METERS, 0, KORVIST_METER_BLOCK_SIZE},
    {KORVIST_IOCTL_STOP_AUDIO, 0, 0},
    {KORVIST_IOCTL_START_AUDIO, 0, 0},
    {KORVIST_IOCTL_GET_PRODUCT_ID, 0, KORVIST_WORD_SIZE},
    {KORVIST_IOCTL_ENABLE_SLOW_MODE, 0, 0},
    {KORVIST_IOCTL_DISABLE_SLOW_MODE, 0, 0},
    {KORVIST_IOCTL_COMMAND, KORVIST_COMMAND_REQUEST_SIZE, 0},
    {KORVIST_IOCTL_QUERY_COMMAND, KORVIST_COMMAND_REQUEST_SIZE, KORVIST_FIRMWARE_REPLY_SIZE},
    {KORVIST_IOCTL_GET_USB_STATUS, 0, KORVIST_USB_STATUS_SIZE},
};

static const uint32_t kBufferSizes[] = {48, 64, 96, 128, 192, 256, 512, 1024};
static const uint32_t kUsbLatencies[] = {8, 16, 24, 32};

/* The request values the panels can produce: twice the gain knob's top. */
static const struct
{
    const char *name;
    uint32_t product_id;
    uint16_t mic_gain_limit;
} kModels[] = {{"rk1", 1, 84}, {"rk2", 2, 112}, {"rs", 15, 84}};

/* A quiet signal, -40 dBFS, on the first four levels. */
static const int32_t kQuietLevel = 21474836;

/* Bytes 0-1 of the USB status: the USB release in BCD (2.00). Byte 2: audio
 * running (bit 0) and slow mode (bit 1). */
static const uint16_t kUsbRelease = 0x0200;


static int contains(const uint32_t *values, size_t count, uint32_t value)
{
    size_t i;
    for (i = 0; i < count; ++i) {
        if (values[i] == value)
            return 1;
    }
    return 0;
}

static const struct rule *find_rule(uint32_t code)
{
    size_t i;
    for (i = 0; i < KV_CODES; ++i) {
        if (kRules[i].code == code)
            return &kRules[i];
    }
    return NULL;
}

int kv_is_code(uint32_t code)
{
    return find_rule(code) != NULL;
}

int kv_is_buffer_size(uint32_t samples)
{
    return contains(kBufferSizes, sizeof kBufferSizes / sizeof kBufferSizes[0], samples);
}

int kv_is_usb_latency(uint32_t frames)
{
    return contains(kUsbLatencies, sizeof kUsbLatencies / sizeof kUsbLatencies[0], frames);
}

int kv_config_model(struct kv_config *config, const char *model, size_t size)
{
    size_t i, j;
    for (i = 0; i < sizeof kModels / sizeof kModels[0]; ++i) {
        /* Stops at the name's NUL, so a caller's NUL inside size is a mismatch, never a read past the name. */
        for (j = 0; j < size && kModels[i].name[j] != '\0' && model[j] == kModels[i].name[j]; ++j)
            ;
        if (j == size && kModels[i].name[j] == '\0') {
            config->product_id = kModels[i].product_id;
            config->mic_gain_limit = kModels[i].mic_gain_limit;
            return 1;
        }
    }
    return 0;
}

void kv_config_defaults(struct kv_config *config)
{
    static const uint8_t kFirmware[] = "1.0.3";
    size_t i;
    kv_config_model(config, "rk1", 3);
    config->has_firmware = 1;
    config->meters_move = 1;
    kv_set_firmware(config, kFirmware, sizeof kFirmware - 1);
    config->usb_errors = 0;
    config->glitches = 0;
    for (i = 0; i < KV_METERS; ++i)
        config->meters[i] = i < 4 ? kQuietLevel : 0;
    for (i = 0; i < KV_CODES; ++i)
        config->fail_status[i] = 0;
}

void kv_state_power_on(struct kv_state *state)
{
    size_t i;
    state->buffer_size = 192;
    state->usb_latency = 24;
    state->slow_mode = 0;
    state->audio_running = 1;
    for (i = 0; i <= KV_CHANNELS; ++i) {
        state->mic_gain[i] = state->out_volume[i] = 0;
        state->pad[i] = state->phantom[i] = state->instrument[i] = 0;
    }
    /* The firmware's own routing leaves the phone pair off the outputs. */
    state->phone_gain[0] = state->phone_gain[1] = 0;
    state->noise = 0x9E3779B97F4A7C15ull;
}

int kv_set_firmware(struct kv_config *config, const uint8_t *text, size_t size)
{
    size_t i;
    if (size > KV_FIRMWARE_SIZE)
        return 0;
    for (i = 0; i < KV_FIRMWARE_SIZE; ++i)
        config->firmware[i] = i < size ? text[i] : 0;
    return 1;
}

int kv_set_meters(struct kv_config *config, const int32_t *levels, size_t count)
{
    size_t i;
    if (count > KV_METERS)
        return 0;
    for (i = 0; i < KV_METERS; ++i)
        config->meters[i] = i < count ? levels[i] : 0;
    return 1;
}

int kv_fail(struct kv_config *config, uint32_t code, uint32_t status)
{
    const struct rule *rule = find_rule(code);
    if (!rule)
        return 0;
    config->fail_status[rule - kRules] = status;
    return 1;
}

static uint32_t set_while_stopped(struct kv_state *state, uint32_t *setting, int accepted, uint32_t value,
                                  struct kv_event *event, enum kv_event_kind set, enum kv_event_kind busy)
{
    if (!accepted)
        return KORVIST_ERROR_INVALID_PARAMETER;
    event->value = value;
    if (state->audio_running) {
        event->kind = busy;
        return KORVIST_ERROR_BUSY;
    }
    *setting = value;
    event->kind = set;
    return KORVIST_ERROR_SUCCESS;
}

static uint32_t toggle(uint8_t *flag, uint8_t on, struct kv_event *event, enum kv_event_kind kind)
{
    *flag = on;
    event->kind = kind;
    return KORVIST_ERROR_SUCCESS;
}

static uint32_t dispatch(struct kv_device *device, uint32_t code, const uint8_t *in, uint8_t *out,
                         struct kv_event *event)
{
    struct kv_state *state = &device->state;
    size_t i;
    switch (code) {
    case KORVIST_IOCTL_WRITE_MIXER:
        if (!kv_mixer_finite(in))
            return KORVIST_ERROR_INVALID_PARAMETER;
        kv_route_mixer(state, in);
        event->kind = KV_EVENT_MIXER;
        return KORVIST_ERROR_SUCCESS;
    case KORVIST_IOCTL_SET_BUFFER_SIZE:
        return set_while_stopped(state, &state->buffer_size, kv_is_buffer_size(kv_get32(in)), kv_get32(in), event,
                                 KV_EVENT_BUFFER_SIZE_SET, KV_EVENT_BUFFER_SIZE_BUSY);
    case KORVIST_IOCTL_SET_USB_LATENCY:
        return set_while_stopped(state, &state->usb_latency, kv_is_usb_latency(kv_get32(in)), kv_get32(in), event,
                                 KV_EVENT_USB_LATENCY_SET, KV_EVENT_USB_LATENCY_BUSY);
    case KORVIST_IOCTL_GET_BUFFER_SIZE:
        kv_put32(out, state->buffer_size);
        return KORVIST_ERROR_SUCCESS;
    case KORVIST_IOCTL_GET_USB_LATENCY:
        kv_put32(out, state->usb_latency);
        return KORVIST_ERROR_SUCCESS;
    case KORVIST_IOCTL_GET_PRODUCT_ID:
        if (device->config.glitches > 0) {
            --device->config.glitches;
            event->kind = KV_EVENT_GLITCH;
            return KORVIST_ERROR_GEN_FAILURE;
        }
        kv_put32(out, device->config.product_id);
        return KORVIST_ERROR_SUCCESS;
    case KORVIST_IOCTL_READ_METERS:
        kv_read_meters(device, out);
        return KORVIST_ERROR_SUCCESS;
    case KORVIST_IOCTL_STOP_AUDIO:
        return toggle(&state->audio_running, 0, event, KV_EVENT_AUDIO_STOPPED);
    case KORVIST_IOCTL_START_AUDIO:
        return toggle(&state->audio_running, 1, event, KV_EVENT_AUDIO_STARTED);
    case KORVIST_IOCTL_ENABLE_SLOW_MODE:
        return toggle(&state->slow_mode, 1, event, KV_EVENT_SLOW_MODE_ON);
    case KORVIST_IOCTL_DISABLE_SLOW_MODE:
        return toggle(&state->slow_mode, 0, event, KV_EVENT_SLOW_MODE_OFF);
    case KORVIST_IOCTL_COMMAND:
        return kv_command(device, in, event);
    case KORVIST_IOCTL_QUERY_COMMAND:
        if (!kv_is_firmware_query(in))
            return KORVIST_ERROR_INVALID_PARAMETER;
        if (!device->config.has_firmware)
            return KORVIST_ERROR_GEN_FAILURE;
        for (i = 0; i < KV_FIRMWARE_SIZE; ++i)
            out[i] = device->config.firmware[i];
        return KORVIST_ERROR_SUCCESS;
    default: /* KORVIST_IOCTL_GET_USB_STATUS */
        out[0] = (uint8_t)kUsbRelease;
        out[1] = (uint8_t)(kUsbRelease >> 8);
        out[2] = (uint8_t)(state->audio_running | state->slow_mode << 1);
        kv_put32(out + 3, device->config.usb_errors);
        return KORVIST_ERROR_SUCCESS;
    }
}

uint32_t kv_answer(struct kv_device *device, uint32_t code, const uint8_t *in, uint32_t in_size, uint8_t *out,
                   uint32_t out_size, uint32_t *written, struct kv_event *event)
{
    const struct rule *rule = find_rule(code);
    struct kv_event ignored;
    uint32_t status;
    if (!event)
        event = &ignored;
    event->kind = KV_EVENT_NONE;
    event->channel = event->value = 0;
    *written = 0;
    if (!rule)
        return KORVIST_ERROR_INVALID_FUNCTION;
    if (device->config.fail_status[rule - kRules])
        return device->config.fail_status[rule - kRules];
    if (in_size != rule->in_size)
        return KORVIST_ERROR_INVALID_PARAMETER;
    if (out_size != rule->out_size)
        return KORVIST_ERROR_INSUFFICIENT_BUFFER;
    status = dispatch(device, code, in, out, event);
    if (status == KORVIST_ERROR_SUCCESS)
        *written = rule->out_size;
    return status;
}
