#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>

namespace surface {

// What the program may send one host, whatever that host (or a sender that
// forges its address) asks for: a bucket of kBurstBytes that refills at
// kBytesPerSecond. It holds the full state of the largest model for each of
// a host's subscriptions, with their levels and a knob turned by hand; a
// flood of requests draws on the same bucket, so it cannot multiply what
// goes out.
class ReplyBudget
{
public:
    static constexpr qint64 kBytesPerSecond = 16000;
    static constexpr qint64 kBurstBytes = 16000;

    ReplyBudget();

    // True, and the bytes spent, when the host's bucket holds them.
    bool spend(const QHostAddress &host, qint64 bytes);

private:
    static constexpr qint64 kNsPerByte = 1000000000 / kBytesPerSecond;

    void forgetFullBuckets(qint64 now);

    QElapsedTimer clock;
    // When each host's bucket is full again, in the clock's nanoseconds; a
    // host not here has a full bucket.
    QHash<QHostAddress, qint64> fullAt;
    qsizetype forgetAt;
};

} // namespace surface
