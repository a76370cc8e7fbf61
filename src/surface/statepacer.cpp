#include "statepacer.h"

#include <algorithm>

namespace surface {

namespace {

// Owed states go out together at most this often, so that a flood from many
// hosts costs one pass over them now and then, not one per host.
constexpr qint64 kShortestWaitMs = 50;

} // namespace

StatePacer::StatePacer(std::function<void(const QList<Peer> &)> sendState, QObject *parent)
    : QObject(parent)
    , send(std::move(sendState))
{
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, &StatePacer::flush);
}

bool StatePacer::request(const Peer &to)
{
    Host &host = hosts[to.host];
    if (host.owed.isEmpty() && (!host.answered.isValid() || host.answered.hasExpired(kIntervalMs))) {
        host.answered.start();
        // Forgotten once its interval is over.
        schedule(kIntervalMs);
        send({to});
        return true;
    }
    if (!host.owed.contains(to)) {
        if (host.owed.size() >= Subscribers::kPerHost)
            return false;
        host.owed.append(to);
    }
    schedule(kIntervalMs - host.answered.elapsed());
    return true;
}

void StatePacer::schedule(qint64 inMs)
{
    const int wait = int(std::clamp<qint64>(inMs, kShortestWaitMs, kIntervalMs));
    if (!timer.isActive() || timer.remainingTime() > wait)
        timer.start(wait);
}

void StatePacer::flush()
{
    QList<Peer> due;
    qint64 soonest = kIntervalMs;
    for (auto it = hosts.begin(); it != hosts.end();) {
        Host &host = it.value();
        if (!host.answered.hasExpired(kIntervalMs)) {
            soonest = std::min(soonest, kIntervalMs - host.answered.elapsed());
            ++it;
        } else if (host.owed.isEmpty()) {
            it = hosts.erase(it);
        } else {
            due.append(host.owed);
            host.owed.clear();
            host.answered.start();
            ++it;
        }
    }
    if (!hosts.isEmpty())
        schedule(soonest);
    if (!due.isEmpty())
        send(due);
}

} // namespace surface
