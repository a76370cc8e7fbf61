#include "device_meters.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kFullScale = 2147483647.0;
constexpr double kNominalDb[MeterSynth::kLevels] = {-60.0, -60.0, -20.0, -20.0};
constexpr double kSwellDepthDb = 6.0;
constexpr double kNoiseDb = 1.0;

std::int32_t toLevel(double dBFS)
{
    return std::int32_t(std::lround(std::clamp(kFullScale * std::pow(10.0, dBFS / 20.0), 0.0, kFullScale)));
}

} // namespace

MeterSynth::MeterSynth()
    : start(std::chrono::steady_clock::now())
{
}

double MeterSynth::nextNoiseDb()
{
    noiseState ^= noiseState << 13;
    noiseState ^= noiseState >> 7;
    noiseState ^= noiseState << 17;
    return kNoiseDb * (double(noiseState >> 11) / double(1ull << 53) * 2.0 - 1.0);
}

void MeterSynth::read(std::int32_t (&levels)[kLevels])
{
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ++reads;
    // Each level swells at its own pace, between -kSwellDepthDb and 0 dB.
    for (int index = 0; index < kLevels; ++index) {
        const double phase = 2.0 * std::numbers::pi * (0.13 + 0.07 * index) * seconds + 0.9 * double(reads) + index;
        levels[index] = toLevel(kNominalDb[index] + kSwellDepthDb * 0.5 * (std::sin(phase) - 1.0) + nextNoiseDb());
    }
}
