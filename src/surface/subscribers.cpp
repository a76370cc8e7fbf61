#include "subscribers.h"

namespace surface {

Subscribers::Renewal Subscribers::renew(const Peer &peer)
{
    live();
    int ofHost = 0;
    for (Entry &entry : entries) {
        if (entry.peer == peer) {
            entry.lease.setRemainingTime(kLeaseMs);
            return Renewal::Renewed;
        }
        ofHost += entry.peer.host == peer.host ? 1 : 0;
    }
    if (entries.size() >= kMaximum)
        return Renewal::Full;
    if (ofHost >= kPerHost)
        return Renewal::HostFull;
    entries.append({peer, QDeadlineTimer(kLeaseMs)});
    return Renewal::Renewed;
}

QList<Peer> Subscribers::live()
{
    entries.removeIf([](const Entry &entry) { return entry.lease.hasExpired(); });
    QList<Peer> peers;
    for (const Entry &entry : entries)
        peers.append(entry.peer);
    return peers;
}

} // namespace surface
