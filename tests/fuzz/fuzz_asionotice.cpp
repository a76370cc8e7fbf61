// The ASIO driver's notice as the listener takes it in: a message of up to
// 1024 bytes (a longer one is refused before it is decoded) lands in a zeroed
// buffer, and each of the five fields is its four bytes, little-endian, with
// zeros where the message ended.
#include <asionotice.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > kAsioReceiveBufferSize)
        return 0;
    AsioReceiveBuffer buffer {};
    std::copy_n(data, size, buffer.begin());
    const AsioNotice notice = AsioNotice::fromBuffer(buffer);
    const std::uint32_t fields[] = {notice.value0, notice.bufferSize, notice.value2, notice.value3,
                                    notice.openWindow};
    for (std::size_t field = 0; field < 5; ++field) {
        std::uint32_t expected = 0;
        for (std::size_t byte = 0; byte < 4; ++byte) {
            const std::size_t at = field * 4 + byte;
            expected |= std::uint32_t(at < size ? data[at] : 0) << (8 * byte);
        }
        if (fields[field] != expected)
            __builtin_trap();
    }
    return 0;
}
