#include "device_core.h"

/* The codes in the order of their function numbers, with the exact sizes a
 * request of each must offer. */
#define CODE_WRITE_MIXER 0xFFDC2040u
#define CODE_SET_BUFFER_SIZE 0xFFDC2044u
#define CODE_GET_BUFFER_SIZE 0xFFDC2048u
#define CODE_GET_USB_LATENCY 0xFFDC204Cu
#define CODE_SET_USB_LATENCY 0xFFDC2050u
#define CODE_READ_METERS 0xFFDC2074u
#define CODE_STOP_AUDIO 0xFFDC2078u
#define CODE_START_AUDIO 0xFFDC2080u
#define CODE_GET_PRODUCT_ID 0xFFDC2084u
#define CODE_ENABLE_SLOW_MODE 0xFFDC2090u
#define CODE_DISABLE_SLOW_MODE 0xFFDC2094u
#define CODE_COMMAND 0xFFDC209Cu
#define CODE_QUERY_COMMAND 0xFFDC20A0u
#define CODE_GET_USB_STATUS 0xFFDC20C0u

struct rule
{
    uint32_t code;
    uint32_t in_size;
    uint32_t out_size;
};

static const struct rule kRules[KV_CODES] = {
    {CODE_WRITE_MIXER, KV_MIXER_SIZE, 0},
    {CODE_SET_BUFFER_SIZE, 4, 0},
    {CODE_GET_BUFFER_SIZE, 0, 4},
    {CODE_GET_USB_LATENCY, 0, 4},
    {CODE_SET_USB_LATENCY, 4, 0},
    {CODE_READ_METERS, 0, KV_METERS * 4},
    {CODE_STOP_AUDIO, 0, 0},
    {CODE_START_AUDIO, 0, 0},
    {CODE_GET_PRODUCT_ID, 0, 4},
    {CODE_ENABLE_SLOW_MODE, 0, 0},
    {CODE_DISABLE_SLOW_MODE, 0, 0},
    {CODE_COMMAND, KV_REQUEST_SIZE, 0},
    {CODE_QUERY_COMMAND, KV_REQUEST_SIZE, KV_FIRMWARE_SIZE},
    {CODE_GET_USB_STATUS, 0, KV_USB_STATUS_SIZE},
};

static const uint32_t kBufferSizes[] = {48, 64, 96, 128, 192, 256, 512, 1024};
static const uint32_t kUsbLatencies[] = {8, 16, 24, 32};

/* Bytes 0-1 of the USB status: the USB release in BCD (2.00). Byte 2: audio
 * running (bit 0) and slow mode (bit 1). */
static const uint16_t kUsbRelease = 0x0200;

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

static const int32_t kFullScale = 2147483647;
static const int32_t kQuietLevel = 21474836; /* -40 dBFS */
/* 10^(k/40) in 1/32768: a step of the gain value is half a dB. */
static const uint32_t kHalfDbSteps[12] = {32768, 34716, 36780, 38967, 41285, 43740,
                                          46341, 49097, 52017, 55110, 58387, 61858};

static uint32_t get32(const uint8_t *bytes)
{
    return (uint32_t)bytes[0] | (uint32_t)bytes[1] << 8 | (uint32_t)bytes[2] << 16 | (uint32_t)bytes[3] << 24;
}

static void put32(uint8_t *bytes, uint32_t value)
{
    bytes[0] = (uint8_t)value;
    bytes[1] = (uint8_t)(value >> 8);
    bytes[2] = (uint8_t)(value >> 16);
    bytes[3] = (uint8_t)(value >> 24);
}

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

uint32_t kv_model_product_id(const char *model)
{
    static const struct {
        const char *name;
        uint32_t product_id;
    } kModels[] = {{"rk1", 1}, {"rk2", 2}, {"rs", 15}};
    size_t i, j;
    for (i = 0; i < sizeof kModels / sizeof kModels[0]; ++i) {
        for (j = 0; model[j] == kModels[i].name[j]; ++j) {
            if (model[j] == '\0')
                return kModels[i].product_id;
        }
    }
    return 0;
}

void kv_config_defaults(struct kv_config *config)
{
    static const uint8_t kFirmware[] = "1.0.3";
    size_t i;
    config->product_id = 1;
    kv_set_firmware(config, kFirmware, sizeof kFirmware - 1);
    config->usb_errors = 0;
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
    state->phone_routed[0] = state->phone_routed[1] = 0;
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

static int tail_is_zero(const uint8_t *request)
{
    size_t i;
    for (i = REQ_TAIL; i < KV_REQUEST_SIZE; ++i) {
        if (request[i] != 0)
            return 0;
    }
    return request[REQ_CODE] == 0x01 && request[REQ_RESERVED] == 0;
}

static int has_value(const uint8_t *request)
{
    return request[REQ_VALUE_LOW] != 0 || request[REQ_VALUE_HIGH] != 0;
}

static int switch_valid(const uint8_t *request)
{
    return request[REQ_SELECTOR] <= 1 && !has_value(request);
}

/* Every byte must be one the product can send; anything else changes nothing. */
static uint32_t command(struct kv_state *state, const uint8_t *request)
{
    const uint8_t channel = request[REQ_CHANNEL];
    const uint8_t selector = request[REQ_SELECTOR];
    const uint16_t value = (uint16_t)(request[REQ_VALUE_LOW] | request[REQ_VALUE_HIGH] << 8);
    const int channel_valid = channel >= 1 && channel <= KV_CHANNELS;
    if (!tail_is_zero(request))
        return KV_ERROR_INVALID_PARAMETER;
    switch (request[REQ_TARGET]) {
    case TARGET_MIC_VOLUME:
    case TARGET_OUT_VOLUME:
        if (selector != VOLUME_SELECTOR || !channel_valid)
            return KV_ERROR_INVALID_PARAMETER;
        (request[REQ_TARGET] == TARGET_MIC_VOLUME ? state->mic_gain : state->out_volume)[channel] = value;
        return 0;
    case TARGET_MIC_20DB:
    case TARGET_MIC_48V:
    case TARGET_MIC_INSTRUMENT:
        if (!switch_valid(request) || !channel_valid)
            return KV_ERROR_INVALID_PARAMETER;
        (request[REQ_TARGET] == TARGET_MIC_20DB  ? state->pad
         : request[REQ_TARGET] == TARGET_MIC_48V ? state->phantom
                                                 : state->instrument)[channel] = selector;
        return 0;
    case TARGET_UPGRADE_FIRMWARE:
        return selector == 0 && channel == 0 && !has_value(request) ? 0 : KV_ERROR_INVALID_PARAMETER;
    default:
        return KV_ERROR_INVALID_PARAMETER;
    }
}

static int is_firmware_query(const uint8_t *request)
{
    return tail_is_zero(request) && request[REQ_TARGET] == TARGET_FIRMWARE_VERSION && request[REQ_SELECTOR] == 0
           && request[REQ_CHANNEL] == 0 && !has_value(request);
}

/* A double whose exponent bits are all ones is infinite or not a number:
 * the meters would compute garbage from it. */
static int mixer_finite(const uint8_t *block)
{
    size_t i;
    for (i = 0; i < KV_MIXER_SIZE; i += 8) {
        if ((block[i + 7] & 0x7F) == 0x7F && (block[i + 6] & 0xF0) == 0xF0)
            return 0;
    }
    return 1;
}

/* A little-endian double other than +0 or -0. */
static int nonzero_double(const uint8_t *bytes)
{
    size_t i;
    if (bytes[7] & 0x7F)
        return 1;
    for (i = 0; i < 7; ++i) {
        if (bytes[i])
            return 1;
    }
    return 0;
}

/* Crosspoints (64, 2) and (65, 3) of the 256 x 32 block feed the phone pair to the first outputs. */
static uint32_t write_mixer(struct kv_state *state, const uint8_t *block)
{
    if (!mixer_finite(block))
        return KV_ERROR_INVALID_PARAMETER;
    state->phone_routed[0] = (uint8_t)nonzero_double(block + 8 * (64 * 32 + 2));
    state->phone_routed[1] = (uint8_t)nonzero_double(block + 8 * (65 * 32 + 3));
    return 0;
}

static uint32_t next_noise(struct kv_state *state)
{
    state->noise ^= state->noise << 13;
    state->noise ^= state->noise >> 7;
    state->noise ^= state->noise << 17;
    return (uint32_t)(state->noise >> 61);
}

/* The microphone levels follow the gain (half dB a step) and the 20 dB pad;
 * the phone pair reads only while the mixer routes it. */
static uint64_t shaped(const struct kv_state *state, int index, int32_t base)
{
    uint64_t level = (uint64_t)(base < 0 ? -(int64_t)base : base);
    if ((index == 2 || index == 3) && !state->phone_routed[index - 2])
        return 0;
    if (index < 2) {
        const uint32_t gain = state->mic_gain[index + 1];
        uint32_t doublings;
        for (doublings = gain / 12; doublings > 0 && level < (uint64_t)kFullScale; --doublings)
            level <<= 1;
        level = level * kHalfDbSteps[gain % 12] >> 15;
        if (state->pad[index + 1])
            level /= 10;
    }
    return level > (uint64_t)kFullScale ? (uint64_t)kFullScale : level;
}

/* Every read moves each level somewhere between 56 % and all of its value. */
static void read_meters(struct kv_device *device, uint8_t *out)
{
    int i;
    for (i = 0; i < KV_METERS; ++i) {
        const uint64_t level = shaped(&device->state, i, device->config.meters[i]);
        const uint64_t moved = level - (level >> 4) * next_noise(&device->state);
        put32(out + 4 * i, (uint32_t)(device->config.meters[i] < 0 ? -(int64_t)moved : (int64_t)moved));
    }
}

static uint32_t set_while_stopped(struct kv_state *state, uint32_t *setting, const uint32_t *accepted,
                                  size_t count, uint32_t value)
{
    if (!contains(accepted, count, value))
        return KV_ERROR_INVALID_PARAMETER;
    if (state->audio_running)
        return KV_ERROR_BUSY;
    *setting = value;
    return 0;
}

static uint32_t dispatch(struct kv_device *device, uint32_t code, const uint8_t *in, uint8_t *out)
{
    struct kv_state *state = &device->state;
    size_t i;
    switch (code) {
    case CODE_WRITE_MIXER:
        return write_mixer(state, in);
    case CODE_SET_BUFFER_SIZE:
        return set_while_stopped(state, &state->buffer_size, kBufferSizes, 8, get32(in));
    case CODE_SET_USB_LATENCY:
        return set_while_stopped(state, &state->usb_latency, kUsbLatencies, 4, get32(in));
    case CODE_GET_BUFFER_SIZE:
        put32(out, state->buffer_size);
        return 0;
    case CODE_GET_USB_LATENCY:
        put32(out, state->usb_latency);
        return 0;
    case CODE_GET_PRODUCT_ID:
        put32(out, device->config.product_id);
        return 0;
    case CODE_READ_METERS:
        read_meters(device, out);
        return 0;
    case CODE_STOP_AUDIO:
    case CODE_START_AUDIO:
        state->audio_running = code == CODE_START_AUDIO;
        return 0;
    case CODE_ENABLE_SLOW_MODE:
    case CODE_DISABLE_SLOW_MODE:
        state->slow_mode = code == CODE_ENABLE_SLOW_MODE;
        return 0;
    case CODE_COMMAND:
        return command(state, in);
    case CODE_QUERY_COMMAND:
        if (!is_firmware_query(in))
            return KV_ERROR_INVALID_PARAMETER;
        for (i = 0; i < KV_FIRMWARE_SIZE; ++i)
            out[i] = device->config.firmware[i];
        return 0;
    default: /* CODE_GET_USB_STATUS */
        out[0] = (uint8_t)kUsbRelease;
        out[1] = (uint8_t)(kUsbRelease >> 8);
        out[2] = (uint8_t)(state->audio_running | state->slow_mode << 1);
        put32(out + 3, device->config.usb_errors);
        return 0;
    }
}

uint32_t kv_answer(struct kv_device *device, uint32_t code, const uint8_t *in, uint32_t in_size, uint8_t *out,
                   uint32_t out_size, uint32_t *written)
{
    const struct rule *rule = find_rule(code);
    uint32_t status;
    *written = 0;
    if (!rule)
        return KV_ERROR_INVALID_FUNCTION;
    if (device->config.fail_status[rule - kRules])
        return device->config.fail_status[rule - kRules];
    if (in_size != rule->in_size)
        return KV_ERROR_INVALID_PARAMETER;
    if (out_size != rule->out_size)
        return KV_ERROR_INSUFFICIENT_BUFFER;
    status = dispatch(device, code, in, out);
    if (status == 0)
        *written = rule->out_size;
    return status;
}
