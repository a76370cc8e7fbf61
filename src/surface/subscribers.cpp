#include "subscribers.h"

#include <algorithm>

namespace surface {

Subscribers::Renewal Subscribers::renew(const Peer &peer)
{
    live();
    const QDeadlineTimer lease = peer.via && !peer.via->leases() ? QDeadlineTimer(QDeadlineTimer::Forever)
                                                                 : QDeadlineTimer(kLeaseMs);
    int ofTransport = 0;
    int ofHost = 0;
    for (Entry &entry : entries) {
        if (entry.peer == peer) {
            entry.lease = lease;
            entry.lastHeard = QDateTime::currentDateTime();
            return Renewal::Renewed;
        }
        ofTransport += entry.peer.via == peer.via ? 1 : 0;
        ofHost += entry.peer.via == peer.via && entry.peer.host == peer.host ? 1 : 0;
    }
    if (ofTransport >= kMaximum)
        return Renewal::Full;
    // A subscription that names a port could be aimed at any of a host's;
    // one that holds a connection is one client, bounded by its server.
    if (peer.via && peer.via->leases() && ofHost >= kPerHost)
        return Renewal::HostFull;
    entries.append({peer, lease});
    return Renewal::Added;
}

void Subscribers::remove(const Peer &peer)
{
    entries.removeIf([&peer](const Entry &entry) { return entry.peer == peer; });
}

QList<Peer> Subscribers::live()
{
    entries.removeIf([](const Entry &entry) { return entry.lease.hasExpired(); });
    QList<Peer> peers;
    for (const Entry &entry : std::as_const(entries))
        peers.append(entry.peer);
    return peers;
}

QList<Peer> Subscribers::ofHost(const Peer &peer)
{
    QList<Peer> peers;
    for (const Peer &subscriber : live())
        if (subscriber.via == peer.via && subscriber.host == peer.host)
            peers.append(subscriber);
    return peers;
}

void Subscribers::heard(const Peer &from)
{
    for (Entry &entry : entries)
        if (entry.peer.via == from.via && entry.peer.host == from.host)
            entry.lastHeard = QDateTime::currentDateTime();
}

QList<Subscribers::Subscription> Subscribers::subscriptions()
{
    live();
    QList<Subscription> list;
    for (const Entry &entry : std::as_const(entries))
        list.append({entry.peer, entry.meterRate, entry.lastHeard});
    return list;
}

bool Subscribers::askMeterRate(const Peer &peer, int readingsPerSecond)
{
    live();
    const int rate =
        readingsPerSecond == 0 ? 0 : std::clamp(readingsPerSecond, controls::kPanelMeterRate, controls::kFastestMeterRate);
    const bool subscribed = std::any_of(entries.cbegin(), entries.cend(), [&](const Entry &e) { return e.peer == peer; });
    bool asked = false;
    for (Entry &entry : entries) {
        if (subscribed ? entry.peer == peer : entry.peer.via == peer.via && entry.peer.host == peer.host) {
            entry.meterRate = rate;
            asked = true;
        }
    }
    return asked;
}

int Subscribers::fastestMeterRate()
{
    live();
    int fastest = controls::kPanelMeterRate;
    for (const Entry &entry : std::as_const(entries))
        fastest = std::max(fastest, entry.meterRate);
    return fastest;
}

QList<Peer> Subscribers::dueForLevels()
{
    live();
    const int fastest = fastestMeterRate();
    QList<Peer> due;
    for (Entry &entry : entries) {
        if (entry.meterRate == 0)
            continue;
        // Readings come at the fastest rate asked: a slower subscription takes
        // the first that comes once its interval, less half a reading, is over.
        const qint64 interval = 1000 / entry.meterRate - 500 / fastest;
        if (!entry.levelsSent.isValid() || entry.levelsSent.hasExpired(interval)) {
            entry.levelsSent.start();
            due.append(entry.peer);
        }
    }
    return due;
}

} // namespace surface
