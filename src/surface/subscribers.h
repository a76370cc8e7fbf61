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
// datagrams; their number is bounded, so no sender can make the program
// write to an unbounded list of ports.
class Subscribers
{
public:
    static constexpr int kLeaseMs = 60000;
    static constexpr int kMaximum = 16;

    // False when the list is full of live subscriptions.
    bool renew(const Peer &peer);
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
