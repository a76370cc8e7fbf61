#pragma once

#include "device_inputs.h"
#include "meterblock.h"
#include "mixerblock.h"

#include <chrono>
#include <cstdint>

// A synthetic input signal as the device's meters would see it: a slow swell
// of a few dB with a little noise on every read, so that no two reads are
// alike, shaped by what the panel sent.
//   level 0, 1: microphone channel 1, 2: -60 dBFS plus the gain (the request
//               value counts half dB, as the panels send twice the knob), -20 dB
//               with the pad
//   level 2, 3: the phone input pair at -20 dBFS, times the mixer's crosspoint
//               (64, 2) and (65, 3), which route it to the first outputs
// All other levels stay 0.
class MeterSynth
{
public:
    MeterSynth();

    MeterBlock read(const InputStage &inputs, const MixerBlock &mixer);

private:
    double nextNoiseDb();

    std::chrono::steady_clock::time_point start;
    std::uint64_t reads = 0;
    std::uint64_t noiseState = 0x9E3779B97F4A7C15ull;
};
