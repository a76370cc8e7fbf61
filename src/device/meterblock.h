#pragma once

#include <cstdint>

// The 192 signed 32-bit levels of a meter read (iocode::ReadMeters); 2147483647 is full scale.
struct MeterBlock
{
    static constexpr int kLevels = 192;
    static constexpr std::int32_t kFullScale = 2147483647;

    std::int32_t level[kLevels] = {};
};
static_assert(sizeof(MeterBlock) == 768, "the driver writes exactly 768 bytes");
