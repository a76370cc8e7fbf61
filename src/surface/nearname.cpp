#include "nearname.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace surface {

namespace {

constexpr int kFarthest = 2;

// Letters inserted, removed or replaced to go from one to the other, ignoring case.
int distance(const QString &from, const QString &to)
{
    const QString a = from.toLower();
    const QString b = to.toLower();
    std::vector<int> row(std::size_t(b.size()) + 1);
    std::iota(row.begin(), row.end(), 0);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[std::size_t(j)];
            row[std::size_t(j)] = std::min({above + 1, row[std::size_t(j - 1)] + 1,
                                            diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row.back();
}

} // namespace

std::optional<QString> nearestName(const QString &typed, const QStringList &names)
{
    // A name far longer than any control's is no near miss, and costs nothing to rule out.
    if (typed.size() > 64)
        return std::nullopt;
    std::optional<QString> nearest;
    int best = kFarthest + 1;
    for (const QString &name : names) {
        const int away = distance(typed, name);
        if (away < best) {
            best = away;
            nearest = name;
        }
    }
    return nearest;
}

} // namespace surface
