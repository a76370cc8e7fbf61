#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>

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

// The request values the panels can produce: twice the gain knob's top (42, or
// 56 on an RK2) and a full-scale output volume of 100.
inline std::uint16_t micGainLimit(const std::string &model)
{
    return model == "rk2" ? 112 : 84;
}
inline constexpr std::uint16_t kOutVolumeLimit = 100;
