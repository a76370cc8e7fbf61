#pragma once

#include "transport.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QList>

namespace surface {

// The surfaces that asked to be told every change. A subscription over a
// transport that never hangs up lapses a minute after its last renewal, so
// a phone that went away stops costing datagrams; their number is bounded
// for each transport, and the ports a host names over such a transport are
// too, so no sender can make the program write to an unbounded list of
// ports, nor one host's ports take every place. Each transport counts apart:
// OSC's leases never take a phone's place, nor phones behind one address
// (NAT) an OSC surface's.
class Subscribers
{
public:
    static constexpr int kLeaseMs = 60000;
    // For each transport.
    static constexpr int kMaximum = 16;
    // For each host, over a transport whose subscriptions name a port.
    static constexpr int kPerHost = 4;

    enum class Renewal { Added, Renewed, Full, HostFull };

    // A live subscription, as the user is shown it.
    struct Subscription
    {
        Peer peer;
        int meterRate = 0; // level readings a second it asked for, 0 for none
        QDateTime lastHeard;
    };

    // Full or HostFull when the transport's places, or the host's share of them, are full of live subscriptions.
    Renewal renew(const Peer &peer);
    void remove(const Peer &peer);
    // The live subscriptions; the lapsed ones are dropped.
    QList<Peer> live();
    // Those of the peer's host over the peer's transport.
    QList<Peer> ofHost(const Peer &peer);
    // Something came from the sender's host: its subscriptions over that transport were heard from.
    void heard(const Peer &from);
    QList<Subscription> subscriptions();

    // Level readings a second for the peer's subscription if it has one, or
    // else for its host's: 0 for none (a phone's page out of sight), else
    // at least the panel's 2. False when no subscription is there.
    bool askMeterRate(const Peer &peer, int readingsPerSecond);
    // The fastest rate a live subscription asked for; the panel's 2 when none did.
    int fastestMeterRate();
    // The live subscriptions whose next reading is due.
    QList<Peer> dueForLevels();

private:
    struct Entry
    {
        Peer peer;
        QDeadlineTimer lease;
        int meterRate = controls::kPanelMeterRate;
        QElapsedTimer levelsSent;
        QDateTime lastHeard = QDateTime::currentDateTime();
    };
    QList<Entry> entries;
};

} // namespace surface
