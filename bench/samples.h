#pragma once

#include <QElapsedTimer>
#include <QString>

#include <utility>
#include <vector>

// Durations of one kind of work, taken one at a time and interleaved with the
// other kinds, so that a busy moment of the machine falls on all of them.
class Samples
{
public:
    template<typename Work>
    void time(Work &&work)
    {
        QElapsedTimer timer;
        timer.start();
        std::forward<Work>(work)();
        nanoseconds.push_back(timer.nsecsElapsed());
    }

    double medianMicroseconds() const;
    double meanMicroseconds() const;

private:
    std::vector<qint64> nanoseconds;
};

// "median 812.4 us, mean 830.1 us"
QString describe(const Samples &samples);
// The ratio of the medians and of the means, two decimals each.
QString ratio(const Samples &numerator, const Samples &denominator);

// The machine's load averages (1, 5, 15 minutes) as the kernel reports them.
QString loadAverage();
