#include "taper.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace surface {

namespace {

struct Mark
{
    double decibels;
    double position;
};

// The console taper over -80..+6 dB, straight between its marks.
constexpr Mark kTaper[] = {{-80, 0.0},  {-60, 0.05}, {-40, 0.15}, {-30, 0.25},
                           {-20, 0.40}, {-10, 0.55}, {0, 0.75},   {6, 1.0}};

bool tapered(const controls::Control &control)
{
    return control.kind == controls::Kind::OutputLevel || control.kind == controls::Kind::PhoneLevel;
}

// Straight from one scale to the other between the neighbouring marks.
template<typename From, typename To>
double interpolate(double x, From from, To to)
{
    const auto last = std::end(kTaper) - 1;
    if (x <= from(kTaper[0]))
        return to(kTaper[0]);
    for (const Mark *mark = kTaper; mark != last; ++mark) {
        const Mark &next = *(mark + 1);
        if (x <= from(next))
            return to(*mark) + (x - from(*mark)) * (to(next) - to(*mark)) / (from(next) - from(*mark));
    }
    return to(*last);
}

double decibelsOf(const Mark &mark)
{
    return mark.decibels;
}

double positionOf(const Mark &mark)
{
    return mark.position;
}

} // namespace

double faderPosition(const controls::Control &control, int value)
{
    if (control.maximum() == control.minimum())
        return 0;
    if (tapered(control))
        return interpolate(value, decibelsOf, positionOf);
    return double(value - control.minimum()) / double(control.maximum() - control.minimum());
}

int valueAtFader(const controls::Control &control, double position)
{
    const double bounded = std::isfinite(position) ? std::clamp(position, 0.0, 1.0) : 0.0;
    const double value = tapered(control)
                           ? interpolate(bounded, positionOf, decibelsOf)
                           : control.minimum() + bounded * (control.maximum() - control.minimum());
    return std::clamp(int(std::lround(value)), control.minimum(), control.maximum());
}

double meterPosition(double decibels)
{
    return interpolate(decibels, decibelsOf, positionOf);
}

} // namespace surface
