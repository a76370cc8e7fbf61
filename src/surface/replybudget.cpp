#include "replybudget.h"

#include <algorithm>

namespace surface {

namespace {

// Hosts kept before the full buckets are forgotten; the sweep runs again only
// once as many more have come, so it costs each datagram little.
constexpr qsizetype kHostsBeforeSweep = 256;

} // namespace

ReplyBudget::ReplyBudget()
    : forgetAt(kHostsBeforeSweep)
{
    clock.start();
}

bool ReplyBudget::spend(const QHostAddress &host, qint64 bytes)
{
    const qint64 now = clock.nsecsElapsed();
    if (fullAt.size() >= forgetAt)
        forgetFullBuckets(now);
    qint64 &full = fullAt[host];
    const qint64 after = std::max(full, now) + bytes * kNsPerByte;
    if (after - now > kBurstBytes * kNsPerByte)
        return false;
    full = after;
    return true;
}

void ReplyBudget::forgetFullBuckets(qint64 now)
{
    fullAt.removeIf([now](const auto &host) { return host.value() <= now; });
    forgetAt = std::max(kHostsBeforeSweep, 2 * fullAt.size());
}

} // namespace surface
