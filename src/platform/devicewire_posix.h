#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

// The stand-in driver's wire format, one request and one reply per I/O control
// call on a Unix stream socket:
//   request: code, inSize, outSize (3 x uint32 LE), then inSize bytes
//   reply:   status (0 or a Win32 error), outSize (2 x uint32 LE), then the bytes
namespace platform::posix::wire {

inline constexpr std::size_t kRequestHeaderSize = 12;
inline constexpr std::size_t kReplyHeaderSize = 8;
// Larger than any request the product makes (the 66304-byte mixer block).
inline constexpr std::uint32_t kMaxPayload = 1u << 20;

inline void putU32(std::uint8_t *at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = std::uint8_t(value >> (8 * i));
}

inline std::uint32_t getU32(const std::uint8_t *at)
{
    return std::uint32_t(at[0]) | std::uint32_t(at[1]) << 8 | std::uint32_t(at[2]) << 16
           | std::uint32_t(at[3]) << 24;
}

using Deadline = std::chrono::steady_clock::time_point;
inline constexpr Deadline kNoDeadline = Deadline::max();

// Whole-buffer transfers on a blocking or non-blocking descriptor; false on
// error, end of stream, or when the deadline passes first.
bool sendAll(int fd, const void *data, std::size_t size, Deadline deadline = kNoDeadline);
bool receiveAll(int fd, void *data, std::size_t size, Deadline deadline = kNoDeadline);

} // namespace platform::posix::wire
