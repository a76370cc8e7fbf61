#include "samples.h"

#include <QFile>

#include <algorithm>
#include <numeric>

double Samples::medianMicroseconds() const
{
    if (nanoseconds.empty())
        return 0.0;
    std::vector<qint64> sorted = nanoseconds;
    const auto middle = sorted.begin() + std::ptrdiff_t(sorted.size() / 2);
    std::nth_element(sorted.begin(), middle, sorted.end());
    return double(*middle) / 1000.0;
}

double Samples::meanMicroseconds() const
{
    if (nanoseconds.empty())
        return 0.0;
    return double(std::accumulate(nanoseconds.begin(), nanoseconds.end(), qint64(0))) / 1000.0
           / double(nanoseconds.size());
}

namespace {
QString fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}
} // namespace

QString describe(const Samples &samples)
{
    return QStringLiteral("median %1 us, mean %2 us")
        .arg(fixed(samples.medianMicroseconds(), 1), fixed(samples.meanMicroseconds(), 1));
}

QString ratio(const Samples &numerator, const Samples &denominator)
{
    return QStringLiteral("%1 (medians), %2 (means)")
        .arg(fixed(numerator.medianMicroseconds() / denominator.medianMicroseconds(), 2),
             fixed(numerator.meanMicroseconds() / denominator.meanMicroseconds(), 2));
}

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(file.readLine()).section(QLatin1Char(' '), 0, 2);
}
