#pragma once

#include "device_journal.h"
#include "device_core_host.h"
#include "device_shutdown.h"

#include <cstdint>
#include <memory>
#include <vector>

// Serves every open handle (one connection each) from one thread with poll.
// Nothing a client does, stalling half-way through a request, sending garbage
// or vanishing, may hold up the others or bring the device down.
class DeviceServer
{
public:
    // listeningSocket is -1 for an interface that refuses opens: then the server only waits for the unplug.
    DeviceServer(int listeningSocket, CoreDevice &model, Journal &journal);
    ~DeviceServer();
    DeviceServer(const DeviceServer &) = delete;
    DeviceServer &operator=(const DeviceServer &) = delete;

    // Returns when a shutdown signal arrived.
    void run(const ShutdownSignals &signals);
    // Every open handle sees the device vanish; the destructor does it too.
    void closeAll();

private:
    struct Connection;

    void accept();
    // false when the connection must be dropped.
    bool receive(Connection &connection);
    bool answerPending(Connection &connection);
    bool flush(Connection &connection);
    void drop(std::size_t index);

    int listeningSocket;
    CoreDevice &model;
    Journal &journal;
    std::vector<std::unique_ptr<Connection>> connections;
    std::uint32_t connectionsAccepted = 0;
};
