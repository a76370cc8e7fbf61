#pragma once

#include <bit>
#include <cstdint>

static_assert(std::endian::native == std::endian::little,
              "the mixer block is sent as it lies in memory and the driver reads little-endian doubles");

// The whole digital mixer of the device, always sent whole (iocode::WriteMixer).
// crosspoint[r][c] is the linear gain with which source c feeds destination r;
// outputGain[k] is the final gain of output channel k + 1.
struct MixerBlock
{
    static constexpr int kRows = 256;
    static constexpr int kColumns = 32;
    static constexpr int kOutputs = 96;

    double crosspoint[kRows][kColumns] = {};
    double outputGain[kOutputs] = {};
};
static_assert(sizeof(MixerBlock) == 66304, "the driver expects exactly 66304 bytes");

// The routing every panel starts from, written into a zero-filled block.
inline void applyBaseRouting(MixerBlock &mixer)
{
    for (double &gain : mixer.outputGain)
        gain = 1.0;
    for (int i = 0; i < 8; ++i) {
        mixer.crosspoint[4 + i][i] = 1.0;
        mixer.crosspoint[160 + i][i] = 1.0;
    }
    mixer.crosspoint[96][0] = 1.0;
    mixer.crosspoint[97][1] = 1.0;
    mixer.crosspoint[128][0] = 1.0;
    mixer.crosspoint[129][1] = 1.0;
    mixer.crosspoint[130][0] = 1.0;
    mixer.crosspoint[131][1] = 1.0;
}
