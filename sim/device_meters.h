#pragma once

#include <chrono>
#include <cstdint>

// A synthetic input signal as the device's meters would see it before any
// gain: a slow swell of a few dB with a little noise on every read, so that no
// two reads are alike. The device model shapes it by what the panel sent.
//   level 0, 1: microphone channels 1 and 2 at -60 dBFS
//   level 2, 3: the phone input pair at -20 dBFS
class MeterSynth
{
public:
    static constexpr int kLevels = 4;

    MeterSynth();

    void read(std::int32_t (&levels)[kLevels]);

private:
    double nextNoiseDb();

    std::chrono::steady_clock::time_point start;
    std::uint64_t reads = 0;
    std::uint64_t noiseState = 0x9E3779B97F4A7C15ull;
};
