// The POSIX device seam reading one reply, whatever the peer sends: the call
// ends, writes nothing beyond the caller's buffer, leaves it as it was unless
// it succeeds, and on success holds exactly the bytes the peer replied.
#include <device.h>
#include <devicefacts.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::uint8_t kUntouched = 0xA5;
// Well inside a socket's buffer, so the reply can be written before the call reads it.
constexpr std::size_t kMaxReply = 65536;

std::uint32_t u32(const std::uint8_t *at)
{
    return std::uint32_t(at[0]) | std::uint32_t(at[1]) << 8 | std::uint32_t(at[2]) << 16 | std::uint32_t(at[3]) << 24;
}

} // namespace

// The first two bytes are how much the caller offers; the rest is the peer's reply.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2 || size > kMaxReply)
        return 0;
    const std::uint32_t outSize = (std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8) % 1025;
    const std::uint8_t *reply = data + 2;
    const std::size_t replySize = size - 2;

    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return 0;
    // Everything the peer will ever say, then the end of the stream: the call never has to wait.
    if (replySize > 0 && ::send(ends[1], reply, replySize, MSG_NOSIGNAL) != ssize_t(replySize))
        __builtin_trap();
    ::shutdown(ends[1], SHUT_WR);

    // Exactly the size offered, so that AddressSanitizer sees any write beyond it.
    const std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[outSize]);
    std::memset(out.get(), kUntouched, outSize);
    std::uint32_t error = 0;
    const bool ok = platform::ioControl(ends[0], KORVIST_IOCTL_GET_PRODUCT_ID, nullptr, 0, out.get(), outSize, error);
    ::close(ends[0]);
    ::close(ends[1]);

    if (!ok) {
        if (error == 0)
            __builtin_trap();
        for (std::uint32_t i = 0; i < outSize; ++i)
            if (out[i] != kUntouched)
                __builtin_trap();
        return 0;
    }
    if (error != 0 || replySize < 8 || u32(reply) != 0)
        __builtin_trap();
    const std::uint32_t returned = u32(reply + 4);
    if (returned > outSize || replySize < 8 + returned || std::memcmp(out.get(), reply + 8, returned) != 0)
        __builtin_trap();
    for (std::uint32_t i = returned; i < outSize; ++i)
        if (out[i] != kUntouched)
            __builtin_trap();
    return 0;
}
