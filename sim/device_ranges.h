#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>

// The values the device accepts for its two audio engine settings.
inline constexpr std::uint32_t kBufferSizes[] = {48, 64, 96, 128, 192, 256, 512, 1024};
inline constexpr std::uint32_t kUsbLatencies[] = {8, 16, 24, 32};

inline bool isBufferSize(std::uint32_t samples)
{
    return std::find(std::begin(kBufferSizes), std::end(kBufferSizes), samples) != std::end(kBufferSizes);
}

inline bool isUsbLatency(std::uint32_t frames)
{
    return std::find(std::begin(kUsbLatencies), std::end(kUsbLatencies), frames) != std::end(kUsbLatencies);
}
