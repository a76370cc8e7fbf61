#include "bytes_text.h"

#include <cstdio>

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void appendUtf8(std::string &out, std::uint32_t code)
{
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | code >> 6);
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | code >> 12);
        out += char(0x80 | (code >> 6 & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | code >> 18);
        out += char(0x80 | (code >> 12 & 0x3F));
        out += char(0x80 | (code >> 6 & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

void appendEscaped(std::string &out, const char *format, unsigned value)
{
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, format, value);
    out += escaped;
}

bool isHighSurrogate(std::uint32_t unit)
{
    return unit >= 0xD800 && unit < 0xDC00;
}

bool isLowSurrogate(std::uint32_t unit)
{
    return unit >= 0xDC00 && unit < 0xE000;
}

} // namespace

std::string toHex(std::span<const std::uint8_t> bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * bytes.size());
    for (const std::uint8_t byte : bytes) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0xF];
    }
    return hex;
}

std::optional<std::vector<std::uint8_t>> fromHex(const std::string &text)
{
    if (text.size() % 2 != 0)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = hexDigit(text[i]);
        const int low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.push_back(std::uint8_t(high << 4 | low));
    }
    return bytes;
}

std::string describeUtf16(const std::vector<std::uint8_t> &bytes)
{
    std::string text;
    const std::size_t units = bytes.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint32_t unit = bytes[2 * i] | std::uint32_t(bytes[2 * i + 1]) << 8;
        const std::uint32_t next = i + 1 < units ? bytes[2 * i + 2] | std::uint32_t(bytes[2 * i + 3]) << 8 : 0;
        if (isHighSurrogate(unit) && isLowSurrogate(next)) {
            appendUtf8(text, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
            ++i;
        } else if (unit < 0x20 || unit == 0x7F || isHighSurrogate(unit) || isLowSurrogate(unit)) {
            appendEscaped(text, "\\u%04X", unsigned(unit));
        } else if (unit == '"' || unit == '\\') {
            text += '\\';
            text += char(unit);
        } else {
            appendUtf8(text, unit);
        }
    }
    if (bytes.size() % 2 != 0)
        appendEscaped(text, "\\x%02x", unsigned(bytes.back()));
    return text;
}
