#include "device_core_parts.h"

static const int32_t kFullScale = 2147483647;
/* 10^(k/40) in 1/32768: a step of the gain value is half a dB, forty steps a tenfold level. */
static const uint32_t kHalfDbSteps[40] = {
    32768,  34710,  36766,  38945,  41252,  43697,  46286,  49029,  51934,  55011,
    58271,  61723,  65381,  69255,  73358,  77705,  82309,  87187,  92353,  97825,
    103622, 109761, 116265, 123154, 130452, 138182, 146369, 155042, 164229, 173960,
    184268, 195187, 206752, 219003, 231980, 245725, 260285, 275708, 292045, 309350};

/* A double whose exponent bits are all ones is infinite or not a number:
 * the meters would compute garbage from it. */
int kv_mixer_finite(const uint8_t *block)
{
    size_t i;
    for (i = 0; i < KORVIST_MIXER_BLOCK_SIZE; i += 8) {
        if ((block[i + 7] & 0x7F) == 0x7F && (block[i + 6] & 0xF0) == 0xF0)
            return 0;
    }
    return 1;
}

/* The magnitude of a finite little-endian double in 1/65536 steps, read from
 * its bits: a kernel driver has no floating point to spare. */
static uint32_t fixed_gain(const uint8_t *bytes)
{
    uint64_t bits = 0;
    uint32_t exponent;
    int i;
    for (i = 7; i >= 0; --i)
        bits = bits << 8 | bytes[i];
    exponent = (uint32_t)(bits >> 52) & 0x7FF;
    if (exponent == 0 || exponent + 53 <= 1059)
        return 0;
    if (exponent >= 1059 - 20)
        return 0xFFFFFFFFu;
    return (uint32_t)(((bits & 0xFFFFFFFFFFFFFull) | 1ull << 52) >> (1059 - exponent));
}

/* Crosspoints (64, 2) and (65, 3) of the 256 x 32 block feed the phone pair to the first outputs. */
void kv_route_mixer(struct kv_state *state, const uint8_t *block)
{
    state->phone_gain[0] = fixed_gain(block + 8 * (64 * 32 + 2));
    state->phone_gain[1] = fixed_gain(block + 8 * (65 * 32 + 3));
}

static uint32_t next_noise(struct kv_state *state)
{
    state->noise ^= state->noise << 13;
    state->noise ^= state->noise >> 7;
    state->noise ^= state->noise << 17;
    return (uint32_t)(state->noise >> 61);
}

/* The microphone levels follow the gain and the 20 dB pad; the phone pair
 * follows the mixer's gain to the first outputs. */
static uint64_t shaped(const struct kv_state *state, int index, int32_t base)
{
    uint64_t level = (uint64_t)(base < 0 ? -(int64_t)base : base);
    if (index == 2 || index == 3) {
        level = level * state->phone_gain[index - 2] >> 16;
    } else if (index < 2) {
        const uint32_t gain = state->mic_gain[index + 1];
        uint32_t tens;
        for (tens = gain / 40; tens > 0 && level < (uint64_t)kFullScale; --tens)
            level *= 10;
        level = level * kHalfDbSteps[gain % 40] >> 15;
        if (state->pad[index + 1])
            level /= 10;
    }
    return level > (uint64_t)kFullScale ? (uint64_t)kFullScale : level;
}

/* Where the device moves them itself, every read moves each level somewhere
 * between 56 % and all of its value. */
void kv_read_meters(struct kv_device *device, uint8_t *out)
{
    int i;
    for (i = 0; i < KV_METERS; ++i) {
        const int32_t base = device->config.meters[i];
        uint64_t level = shaped(&device->state, i, base);
        uint32_t word;
        if (device->config.meters_move)
            level -= (level >> 4) * next_noise(&device->state);
        word = (uint32_t)(base < 0 ? -(int64_t)level : (int64_t)level);
        kv_put32(out + 4 * i, word);
    }
}
