#include "journal_line.h"

/* The fixed text and five decimals of up to 20 digits and one code. */
enum { FIXED_ROOM = 160 };

struct cursor
{
    char *at;
    char *end;
};

static void text(struct cursor *c, const char *s)
{
    while (*s && c->at < c->end)
        *c->at++ = *s++;
}

static void decimal(struct cursor *c, uint64_t value)
{
    char digits[20];
    int n = 0;
    do {
        digits[n++] = (char)('0' + value % 10);
        value /= 10;
    } while (value);
    while (n > 0 && c->at < c->end)
        *c->at++ = digits[--n];
}

static void hex(struct cursor *c, const uint8_t *bytes, size_t size, const char *digits)
{
    size_t i;
    for (i = 0; i < size && c->end - c->at >= 2; ++i) {
        *c->at++ = digits[bytes[i] >> 4];
        *c->at++ = digits[bytes[i] & 0xF];
    }
}

size_t kv_journal_capacity(uint32_t in_size)
{
    return FIXED_ROOM + 2 * (size_t)in_size;
}

size_t kv_journal_line(char *out, size_t capacity, uint64_t seq, uint32_t conn, uint32_t code, const uint8_t *in,
                       uint32_t in_size, uint32_t out_size, uint32_t status)
{
    const uint8_t code_bytes[4] = {(uint8_t)(code >> 24), (uint8_t)(code >> 16), (uint8_t)(code >> 8),
                                   (uint8_t)code};
    struct cursor c;
    if (capacity < kv_journal_capacity(in_size))
        return 0;
    c.at = out;
    c.end = out + capacity;
    text(&c, "{\"seq\":");
    decimal(&c, seq);
    text(&c, ",\"conn\":");
    decimal(&c, conn);
    text(&c, ",\"code\":\"0x");
    hex(&c, code_bytes, 4, "0123456789ABCDEF");
    text(&c, "\",\"in\":\"");
    hex(&c, in, in_size, "0123456789abcdef");
    text(&c, "\",\"outSize\":");
    decimal(&c, out_size);
    text(&c, ",\"status\":");
    decimal(&c, status);
    text(&c, "}\n");
    return (size_t)(c.at - out);
}
