#include "device_server.h"

#include "console.h"
#include "devicewire_posix.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace wire = platform::posix::wire;

struct DeviceServer::Connection
{
    int fd;
    std::uint32_t number;
    std::vector<std::uint8_t> input;
    std::vector<std::uint8_t> output;
    std::size_t sent = 0;
};

DeviceServer::DeviceServer(int listening, CoreDevice &deviceModel, Journal &deviceJournal)
    : listeningSocket(listening)
    , model(deviceModel)
    , journal(deviceJournal)
{
}

DeviceServer::~DeviceServer()
{
    closeAll();
}

void DeviceServer::closeAll()
{
    while (!connections.empty())
        drop(connections.size() - 1);
}

void DeviceServer::run(const ShutdownSignals &signals)
{
    std::vector<pollfd> watched;
    while (!signals.requested()) {
        watched.clear();
        for (const auto &connection : connections) {
            // A client that does not collect its replies is not read from
            // either, so it cannot make the server hoard memory.
            const short events = connection->output.empty() ? POLLIN : POLLOUT;
            watched.push_back({connection->fd, events, 0});
        }
        if (listeningSocket >= 0)
            watched.push_back({listeningSocket, POLLIN, 0});
        if (::ppoll(watched.data(), watched.size(), nullptr, &signals.waitMask()) < 0)
            continue;
        // Connections accepted now are appended after the ones polled.
        const std::size_t polled = connections.size();
        if (listeningSocket >= 0 && (watched.back().revents & POLLIN))
            accept();
        for (std::size_t i = polled; i-- > 0;) {
            const short events = watched[i].revents;
            Connection &connection = *connections[i];
            const bool keep = !(events & (POLLIN | POLLOUT | POLLHUP | POLLERR))
                              || (connection.output.empty() ? receive(connection) : flush(connection));
            if (!keep)
                drop(i);
        }
    }
}

void DeviceServer::accept()
{
    const int fd = ::accept4(listeningSocket, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return;
    connections.push_back(std::make_unique<Connection>(Connection {fd, ++connectionsAccepted, {}, {}, 0}));
    say("connection %u opened", unsigned(connectionsAccepted));
}

bool DeviceServer::receive(Connection &connection)
{
    std::uint8_t chunk[65536];
    const ssize_t got = ::recv(connection.fd, chunk, sizeof chunk, 0);
    if (got < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    if (got == 0)
        return false;
    connection.input.insert(connection.input.end(), chunk, chunk + got);
    return answerPending(connection) && flush(connection);
}

bool DeviceServer::answerPending(Connection &connection)
{
    std::size_t consumed = 0;
    while (connection.input.size() - consumed >= wire::kRequestHeaderSize) {
        const std::uint8_t *header = connection.input.data() + consumed;
        const std::uint32_t code = wire::getU32(header);
        const std::uint32_t inSize = wire::getU32(header + 4);
        const std::uint32_t outSize = wire::getU32(header + 8);
        if (inSize > wire::kMaxPayload) {
            say("connection %u sent a malformed request header; closing it", unsigned(connection.number));
            return false;
        }
        if (connection.input.size() - consumed - wire::kRequestHeaderSize < inSize)
            break;
        const std::span<const std::uint8_t> in(header + wire::kRequestHeaderSize, inSize);
        Reply reply = model.answer(code, in, outSize);
        journal.record(connection.number, code, in, outSize, reply.status);

        const std::size_t at = connection.output.size();
        connection.output.resize(at + wire::kReplyHeaderSize);
        wire::putU32(connection.output.data() + at, reply.status);
        wire::putU32(connection.output.data() + at + 4, std::uint32_t(reply.bytes.size()));
        connection.output.insert(connection.output.end(), reply.bytes.begin(), reply.bytes.end());
        consumed += wire::kRequestHeaderSize + inSize;
    }
    connection.input.erase(connection.input.begin(), connection.input.begin() + std::ptrdiff_t(consumed));
    return true;
}

bool DeviceServer::flush(Connection &connection)
{
    while (connection.sent < connection.output.size()) {
        const ssize_t sent = ::send(connection.fd, connection.output.data() + connection.sent,
                                    connection.output.size() - connection.sent, MSG_NOSIGNAL);
        if (sent < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        connection.sent += std::size_t(sent);
    }
    connection.output.clear();
    connection.sent = 0;
    return true;
}

void DeviceServer::drop(std::size_t index)
{
    say("connection %u closed", unsigned(connections[index]->number));
    ::close(connections[index]->fd);
    connections.erase(connections.begin() + std::ptrdiff_t(index));
}
