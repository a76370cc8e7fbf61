#pragma once

#include "subscribers.h"

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QTimer>

#include <functional>

namespace surface {

// A full state (the model and every value) is the largest answer the program
// gives: each host gets at most one per kIntervalMs. What a host asks for
// within the interval is answered once, at its end, with the state as it is
// then, to each port that asked (at most Subscribers::kPerHost of them).
class StatePacer : public QObject
{
public:
    static constexpr int kIntervalMs = 1000;

    // send(peers) sends the full state to each.
    explicit StatePacer(std::function<void(const QList<Peer> &)> send, QObject *parent = nullptr);

    // False when the host is owed a state on as many ports as it may have already.
    bool request(const Peer &to);

private:
    struct Host
    {
        QElapsedTimer answered;
        QList<Peer> owed;
    };

    void flush();
    void schedule(qint64 inMs);

    std::function<void(const QList<Peer> &)> send;
    QHash<QHostAddress, Host> hosts;
    QTimer timer;
};

} // namespace surface
