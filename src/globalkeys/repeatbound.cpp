#include "repeatbound.h"

namespace globalkeys {

bool RepeatBound::admits(int id, std::uint32_t timeMs)
{
    const auto last = lastAdmitted.constFind(id);
    // Unsigned difference: the system's millisecond clock wraps after 49 days.
    if (last != lastAdmitted.constEnd() && timeMs - *last < kIntervalMs)
        return false;
    lastAdmitted.insert(id, timeMs);
    return true;
}

} // namespace globalkeys
