#pragma once

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QList>

namespace surface {

// Where a datagram goes: a surface's host and UDP port.
struct Peer
{
    QHostAddress host;
    quint16 port = 0;

    bool operator==(const Peer &other) const { return host == other.host && port == other.port; }
};

// The surfaces that asked to be told every change. A subscription lapses a
// minute after its last renewal, so a phone that went away stops costing
// datagrams; their number is bounded, in all and for each host, so no sender
// can make the program write to an unbounded list of ports, nor one host's
// ports take every place.
class Subscribers
{
public:
    static constexpr int kLeaseMs = 60000;
    static constexpr int kMaximum = 16;
    static constexpr int kPerHost = 4;

    enum class Renewal { Renewed, Full, HostFull };

    // Full or HostFull when the list, or the host's share of it, is full of live subscriptions.
    Renewal renew(const Peer &peer);
    // The live subscriptions; the lapsed ones are dropped.
    QList<Peer> live();

private:
    struct Entry
    {
        Peer peer;
        QDeadlineTimer lease;
    };
    QList<Entry> entries;
};

} // namespace surface
