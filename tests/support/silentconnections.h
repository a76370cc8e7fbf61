#pragma once

#include <QString>

#include <sys/socket.h>
#include <vector>

// Connections to a Unix socket that never say a word: a flood of pipe clients
// that never send their claim, or an accept queue filled to the brim. They
// connect without blocking and are closed with the object.
class SilentConnections
{
public:
    explicit SilentConnections(int type = SOCK_SEQPACKET) : type(type) {}
    ~SilentConnections() { closeAll(); }
    SilentConnections(const SilentConnections &) = delete;
    SilentConnections &operator=(const SilentConnections &) = delete;

    // Up to count more connections; stops early once the queue is full. Gives how many are open.
    int open(const QString &socketPath, int count);
    int fillQueue(const QString &socketPath) { return open(socketPath, 1024); }
    void closeAll();

private:
    int type;
    std::vector<int> fds;
};
