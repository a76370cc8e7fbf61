#include "namedpipeserver.h"

#include <pipe.h>
#include <win32errors.h>

#include <QDebug>

#include <algorithm>

NamedPipeServer::NamedPipeServer(const QString &name)
    : pipeName(name)
    , server(std::make_unique<platform::PipeServer>(name.toStdString()))
{
}

NamedPipeServer::~NamedPipeServer()
{
    if (!server->isOpen())
        return;
    server->disconnect();
    server.reset();
    qDebug() << "Pipe closed.";
}

bool NamedPipeServer::create()
{
    std::uint32_t error = 0;
    if (!server->create(error)) {
        qDebug() << "Error: Could not create pipe. Error code:" << error;
        return false;
    }
    qDebug() << "Pipe created successfully.";
    return true;
}

bool NamedPipeServer::readMessage(AsioReceiveBuffer &dst)
{
    std::uint32_t error = 0;
    // A client that came before the wait is as connected as one that came during it.
    if (!server->waitForClient(error) && error != platform::kErrorPipeConnected) {
        qDebug() << "Error connecting to pipe. Error code:" << error;
        return false;
    }
    AsioReceiveBuffer buffer {};
    std::uint32_t bytesRead = 0;
    const bool read = server->readMessage(buffer.data(), std::uint32_t(buffer.size()), bytesRead, error);
    if (read)
        std::copy_n(buffer.begin(), bytesRead, dst.begin());
    else
        qDebug() << "Error reading from pipe. Error code:" << error;
    server->disconnect();
    return read;
}

void NamedPipeServer::release()
{
    server->release();
}
