#ifndef KORVIST_DEVICE_CORE_PARTS_H
#define KORVIST_DEVICE_CORE_PARTS_H

/* What device_core.c asks of the other two parts of the model; no host sees it. */

#include "device_core.h"

/* device_command.c: the 37-byte requests, checked byte by byte; event is never NULL here. */
uint32_t kv_command(struct kv_device *device, const uint8_t *request, struct kv_event *event);
int kv_is_firmware_query(const uint8_t *request);

/* device_meters.c: the levels as the inputs, gains and routing shape them. */
void kv_route_mixer(struct kv_state *state, const uint8_t *block);
int kv_mixer_finite(const uint8_t *block);
void kv_read_meters(struct kv_device *device, uint8_t *out);

#endif
