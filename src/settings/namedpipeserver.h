#pragma once

#include "asionotice.h"

#include <QString>

#include <memory>

namespace platform {
class PipeServer;
}

// The server end of one named pipe, serving its clients one after the other:
// each readMessage waits for a client, takes its one message and lets it go.
class NamedPipeServer
{
public:
    // name without the "\\.\pipe\" prefix.
    explicit NamedPipeServer(const QString &name);
    ~NamedPipeServer();
    NamedPipeServer(const NamedPipeServer &) = delete;
    NamedPipeServer &operator=(const NamedPipeServer &) = delete;

    // First instance only, local clients only.
    bool create();
    // A message longer than the buffer is refused, never cut short; a client
    // that says nothing for a moment is let go, so the next one is served.
    bool readMessage(AsioReceiveBuffer &dst);
    // From any thread: ends a pending readMessage and makes every later one fail at once.
    void release();

private:
    QString pipeName;
    std::unique_ptr<platform::PipeServer> server;
};
