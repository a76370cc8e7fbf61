#ifndef KORVIST_DEVICE_CORE_H
#define KORVIST_DEVICE_CORE_H

/* The device behind the fourteen I/O control codes, in freestanding C: no
 * allocation, no library, so that a kernel-mode driver and a user-mode
 * simulator can hold the same state and give the same answers. Every status
 * is a Win32 error number (0 for success); the host maps it to its own. */

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    KV_CHANNELS = 8,
    KV_METERS = 192,
    KV_FIRMWARE_SIZE = 32,
    KV_MIXER_SIZE = 66304,
    KV_REQUEST_SIZE = 37,
    KV_USB_STATUS_SIZE = 7,
    KV_CODES = 14
};

enum {
    KV_ERROR_INVALID_FUNCTION = 1,
    KV_ERROR_GEN_FAILURE = 31,
    KV_ERROR_INVALID_PARAMETER = 87,
    KV_ERROR_INSUFFICIENT_BUFFER = 122,
    KV_ERROR_BUSY = 170
};

/* What the device was made to be; it survives a replug. */
struct kv_config
{
    uint32_t product_id;
    uint8_t firmware[KV_FIRMWARE_SIZE]; /* the query's reply, zero-padded */
    uint32_t usb_errors;
    int32_t meters[KV_METERS];           /* the levels the meters move around */
    uint32_t fail_status[KV_CODES];      /* per code, 0: answers */
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
    uint8_t phone_routed[2]; /* the mixer feeds the phone pair to the first outputs */
    uint64_t noise;
};

struct kv_device
{
    struct kv_config config;
    struct kv_state state;
};

/* Model names "rk1", "rk2", "rs"; 0 for any other. */
uint32_t kv_model_product_id(const char *model);

/* An RK1 with firmware "1.0.3", no errors, quiet meters, nothing failing. */
void kv_config_defaults(struct kv_config *config);
void kv_state_power_on(struct kv_state *state);

int kv_set_firmware(struct kv_config *config, const uint8_t *text, size_t size);
int kv_set_meters(struct kv_config *config, const int32_t *levels, size_t count);
/* status 0 makes the code answer again; returns 0 when the code is not one of the fourteen. */
int kv_fail(struct kv_config *config, uint32_t code, uint32_t status);

/* One request. in and out may be the same buffer (a buffered driver's):
 * the input is read whole before a byte of output is written. *written
 * tells how many bytes of out hold the reply (0 on any refusal). */
uint32_t kv_answer(struct kv_device *device, uint32_t code, const uint8_t *in, uint32_t in_size, uint8_t *out,
                   uint32_t out_size, uint32_t *written);

#ifdef __cplusplus
}
#endif

#endif
