#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <thread>

// A device interface whose peer, a thread of the test, breaks the rules the
// way a hung or hostile driver could: it never accepts, answers a byte at a
// time, falls silent after some answers, or answers what it likes.
class HostileDevice
{
public:
    struct Step
    {
        QByteArray reply; // the raw bytes sent once a request has arrived whole
        int gapMs = 0;    // sent a byte at a time with this pause between bytes; 0: at once
        bool hangUp = false; // the connection is closed right after
    };

    // Accepts one connection and answers its n-th request with the n-th step;
    // after the last step it keeps reading and never answers.
    explicit HostileDevice(const QList<Step> &steps);
    // Listens with the shortest queue and never accepts: once the queue is full, a connect waits.
    HostileDevice();
    ~HostileDevice();
    HostileDevice(const HostileDevice &) = delete;
    HostileDevice &operator=(const HostileDevice &) = delete;

    QString socketPath() const { return path; }
    // True once the client side let go of the accepted connection.
    bool clientClosed() const { return closed; }

    // A reply as the wire carries it: status, size, then the bytes.
    static QByteArray reply(quint32 status, const QByteArray &bytes);

private:
    void serve(QList<Step> steps);
    bool readExactly(int fd, QByteArray &buffer, qsizetype size);
    bool pause(int ms);

    QString path;
    int listenFd = -1;
    int stopFd = -1;
    std::atomic<bool> closed {false};
    std::thread thread;
};
