#include "device_meters.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kMicFloorDb = -60.0;
constexpr double kPhoneDb = -20.0;
constexpr double kPadDb = 20.0;
constexpr double kSwellDepthDb = 6.0;
constexpr double kNoiseDb = 1.0;

std::int32_t toLevel(double dBFS, double gain)
{
    const double level = MeterBlock::kFullScale * std::pow(10.0, dBFS / 20.0) * std::abs(gain);
    return std::int32_t(std::lround(std::clamp(level, 0.0, double(MeterBlock::kFullScale))));
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

MeterBlock MeterSynth::read(const InputStage &inputs, const MixerBlock &mixer)
{
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ++reads;
    // Each level swells at its own pace, between -kSwellDepthDb and 0 dB.
    const auto swellDb = [&](int index) {
        const double phase = 2.0 * std::numbers::pi * (0.13 + 0.07 * index) * seconds + 0.9 * double(reads) + index;
        return kSwellDepthDb * 0.5 * (std::sin(phase) - 1.0) + nextNoiseDb();
    };

    MeterBlock block;
    for (int channel = 1; channel <= 2; ++channel) {
        const double dB = kMicFloorDb + inputs.micGain[channel] / 2.0 - (inputs.pad[channel] ? kPadDb : 0.0);
        block.level[channel - 1] = toLevel(dB + swellDb(channel - 1), 1.0);
    }
    block.level[2] = toLevel(kPhoneDb + swellDb(2), mixer.crosspoint[64][2]);
    block.level[3] = toLevel(kPhoneDb + swellDb(3), mixer.crosspoint[65][3]);
    return block;
}
