#pragma once

#include "commandrequest.h"

#include <cstdint>

// The analogue stage as the command requests (0xFFDC209C) left it.
struct InputStage
{
    static constexpr int kChannels = 8;

    // Indexed by channel, counted from 1 as in the requests; index 0 is unused.
    std::uint16_t micGain[kChannels + 1] = {};
    bool pad[kChannels + 1] = {};
    bool phantom[kChannels + 1] = {};
    bool instrument[kChannels + 1] = {};
    std::uint16_t outVolume[kChannels + 1] = {};
    // Above it a mic gain request is refused: the model's knob cannot ask for more.
    std::uint16_t micGainLimit = 0;
};

// Every byte of the request must be one the product can send; a request that
// is not is refused whole (false) and changes nothing.
bool applyCommand(InputStage &stage, const CommandRequest &request);
bool isFirmwareQuery(const CommandRequest &request);
