#ifndef KORVIST_JOURNAL_LINE_H
#define KORVIST_JOURNAL_LINE_H

/* One request as a line of the simulators' journal, in freestanding C:
 * {"seq":N,"conn":C,"code":"0x<CODE>","in":"<hex>","outSize":N,"status":0}
 * with a newline, hex in lower case and the code in eight upper-case digits. */

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Room a line needs for an input of in_size bytes. */
size_t kv_journal_capacity(uint32_t in_size);

/* The line's length, or 0 when capacity is too small. No terminating NUL. */
size_t kv_journal_line(char *out, size_t capacity, uint64_t seq, uint32_t conn, uint32_t code, const uint8_t *in,
                       uint32_t in_size, uint32_t out_size, uint32_t status);

#ifdef __cplusplus
}
#endif

#endif
