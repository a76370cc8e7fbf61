#include "subscribers.h"

namespace surface {

bool Subscribers::renew(const Peer &peer)
{
    live();
    for (Entry &entry : entries) {
        if (entry.peer == peer) {
            entry.lease.setRemainingTime(kLeaseMs);
            return true;
        }
    }
    if (entries.size() >= kMaximum)
        return false;
    entries.append({peer, QDeadlineTimer(kLeaseMs)});
    return true;
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
