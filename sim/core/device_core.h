#ifndef KORVIST_DEVICE_CORE_H
#define KORVIST_DEVICE_CORE_H

/* The device behind the fourteen I/O control codes, in freestanding C: no
 * allocation, no library, no floating point, so that a kernel-mode driver
 * and a user-mode simulator hold the same state and give the same answers
 * and refusals. Every status is a Win32 error number (0 for success); the
 * host maps it to its own. */

#include "devicefacts.h"

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The little-endian words every request and reply carries. */
static inline uint32_t kv_get32(const uint8_t *bytes)
{
    return (uint32_t)bytes[0] | (uint32_t)bytes[1] << 8 | (uint32_t)bytes[2] << 16 | (uint32_t)bytes[3] << 24;
}

static inline void kv_put32(uint8_t *bytes, uint32_t value)
{
    bytes[0] = (uint8_t)value;
    bytes[1] = (uint8_t)(value >> 8);
    bytes[2] = (uint8_t)(value >> 16);
    bytes[3] = (uint8_t)(value >> 24);
}

enum {
    KV_CHANNELS = 8,
    KV_METERS = KORVIST_METER_LEVELS,
    KV_FIRMWARE_SIZE = KORVIST_FIRMWARE_REPLY_SIZE,
    KV_CODES = KORVIST_IOCTL_COUNT
};

/* What the device was made to be; it survives a replug. */
struct kv_config
{
    uint32_t product_id;
    /* Above it a mic gain request is refused: the model's knob cannot ask for more. */
    uint16_t mic_gain_limit;
    uint8_t has_firmware;  /* 0: the firmware query fails */
    uint8_t meters_move;   /* 0: the host moves the base levels between reads itself */
    uint8_t firmware[KV_FIRMWARE_SIZE]; /* the query's reply, zero-padded */
    uint32_t usb_errors;
    uint32_t glitches;                  /* product-id reads that fail once each, a disturbance on the bus */
    int32_t meters[KV_METERS];          /* the levels the meters move around */
    uint32_t fail_status[KV_CODES];     /* per code, 0: answers */
};

/* What the device's own firmware keeps; a replug starts it afresh. */
struct kv_state
{
    uint32_t buffer_size;
    uint32_t usb_latency;
    uint8_t slow_mode;
    uint8_t audio_running;
    uint16_t mic_gain[KV_CHANNELS + 1]; /* indexed by channel, counted from 1 */
    uint16_t out_volume[KV_CHANNELS + 1];
    uint8_t pad[KV_CHANNELS + 1];
    uint8_t phantom[KV_CHANNELS + 1];
    uint8_t instrument[KV_CHANNELS + 1];
    uint32_t phone_gain[2]; /* the mixer's gain from the phone pair to the first outputs, 1/65536 steps */
    uint64_t noise;
};

struct kv_device
{
    struct kv_config config;
    struct kv_state state;
};

/* What a request changed, for a host that tells its user. */
enum kv_event_kind {
    KV_EVENT_NONE,
    KV_EVENT_MIXER,
    KV_EVENT_BUFFER_SIZE_SET,
    KV_EVENT_BUFFER_SIZE_BUSY,
    KV_EVENT_USB_LATENCY_SET,
    KV_EVENT_USB_LATENCY_BUSY,
    KV_EVENT_AUDIO_STOPPED,
    KV_EVENT_AUDIO_STARTED,
    KV_EVENT_SLOW_MODE_ON,
    KV_EVENT_SLOW_MODE_OFF,
    KV_EVENT_GLITCH,
    KV_EVENT_MIC_GAIN,
    KV_EVENT_OUT_VOLUME,
    KV_EVENT_PAD,
    KV_EVENT_PHANTOM,
    KV_EVENT_INSTRUMENT,
    KV_EVENT_FIRMWARE_UPGRADE
};

struct kv_event
{
    enum kv_event_kind kind;
    uint32_t channel;
    uint32_t value; /* a setting, or 1/0 for a switch */
};

/* An RK1 with firmware "1.0.3", no errors, quiet meters that move, nothing failing. */
void kv_config_defaults(struct kv_config *config);
/* Model names "rk1", "rk2", "rs", size bytes without a NUL: their product id and gain range. 0 for any other name. */
int kv_config_model(struct kv_config *config, const char *model, size_t size);
void kv_state_power_on(struct kv_state *state);

int kv_set_firmware(struct kv_config *config, const uint8_t *text, size_t size);
int kv_set_meters(struct kv_config *config, const int32_t *levels, size_t count);
/* status 0 makes the code answer again; returns 0 when the code is not one of the fourteen. */
int kv_fail(struct kv_config *config, uint32_t code, uint32_t status);
int kv_is_code(uint32_t code);
int kv_is_buffer_size(uint32_t samples);
int kv_is_usb_latency(uint32_t frames);

/* One request. in and out may be the same buffer (a buffered driver's):
 * the input is read whole before a byte of output is written. *written
 * tells how many bytes of out hold the reply (0 on any refusal). event
 * may be NULL. */
uint32_t kv_answer(struct kv_device *device, uint32_t code, const uint8_t *in, uint32_t in_size, uint8_t *out,
                   uint32_t out_size, uint32_t *written, struct kv_event *event);

#ifdef __cplusplus
}
#endif

#endif
