#include "conversions.h"

#include "meterblock.h"

#include <algorithm>
#include <cmath>

double dbToGain(double dB)
{
    const double clamped = std::clamp(dB, -80.0, 6.0);
    if (clamped == -80.0)
        return 0.0;
    return std::pow(10.0, clamped / 20.0);
}

double levelToDb(std::int32_t level)
{
    const std::int64_t magnitude = std::min<std::int64_t>(std::abs(std::int64_t(level)), MeterBlock::kFullScale);
    return 20.0 * std::log10(double(magnitude) / double(MeterBlock::kFullScale));
}
