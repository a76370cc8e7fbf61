#pragma once

#include <QHash>

#include <cstdint>

namespace globalkeys {

// A held key repeats 25 to 30 times a second, and each repeat is one step of
// a level: at most one activation per combination in each tenth of a second,
// by the system's clock of the presses, so that a loop busy for a moment
// does not let a backlog through in a burst.
class RepeatBound
{
public:
    static constexpr std::uint32_t kIntervalMs = 100;

    // Whether this press of the combination counts; counted ones start a new interval.
    bool admits(int id, std::uint32_t timeMs);
    void forget(int id) { lastAdmitted.remove(id); }

private:
    QHash<int, std::uint32_t> lastAdmitted;
};

} // namespace globalkeys
