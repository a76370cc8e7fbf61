#pragma once

#include <controltable.h>

// Where a control's value sits on a surface's fader (0 at the bottom, 1 at
// the top), and back. Output and phone levels follow a console's taper: 0 dB
// near three quarters of the travel and the bottom of the range spread out,
// so that the useful levels get most of the fader. Input gains are spread
// evenly, as gain staging wants. Both ways agree: a value sent back to a
// fader lands it where the hand left it, to within one step.
namespace surface {

double faderPosition(const controls::Control &control, int value);
// The whole value nearest to a position; positions beyond 0..1 are the ends.
int valueAtFader(const controls::Control &control, double position);
// Where a level readout sits on the output levels' taper: -80 dB and below
// at 0, +6 dB at 1.
double meterPosition(double decibels);

} // namespace surface
