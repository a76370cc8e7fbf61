#pragma once

#include <cstdint>

// A level in dB (clamped to -80 ... +6) to a linear gain; exactly 0.0 at -80.
double dbToGain(double dB);

// A meter level to dB full scale: 20 log10(|level| / 2147483647). Level 0 gives
// minus infinity. The sign is ignored, and -2147483648, which has no positive
// counterpart in 32 bits, counts as full scale (0.0 dB) like 2147483647.
double levelToDb(std::int32_t level);
