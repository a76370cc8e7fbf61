#include "phoneserver.h"

#include "phoneconnection.h"
#include "phonelimits.h"

#include <localnetworks.h>

#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtDebug>

#include <algorithm>

namespace phone {

PhoneServer::PhoneServer(PairedPhones &pairedPhones, QObject *parent)
    : QObject(parent)
    , phones(pairedPhones)
    , pairing(pairedPhones)
    , routes(pairedPhones, pairing)
{
    connect(&phones, &PairedPhones::forgotten, this, &PhoneServer::forget);
}

PhoneServer::~PhoneServer()
{
    stop();
}

bool PhoneServer::start(quint16 port, const std::optional<Network> &allowed, QString &error)
{
    stop();
    routes.setListening({port, QNetworkInterface::allAddresses(), allowed});
    // Without an allowed network the socket itself serves this computer alone;
    // an IPv6 network is served on both protocols, this computer's IPv4 loopback included.
    const QHostAddress::SpecialAddress serving = !allowed ? QHostAddress::LocalHost
                                               : allowed->first.protocol() == QAbstractSocket::IPv4Protocol
                                                       ? QHostAddress::AnyIPv4
                                                       : QHostAddress::Any;
    auto server = std::make_unique<QTcpServer>();
    if (!server->listen(serving, port)) {
        error = QStringLiteral("The phone remote could not listen on port %1: %2").arg(port).arg(server->errorString());
        qWarning().noquote() << error;
        return false;
    }
    listener = std::move(server);
    connect(listener.get(), &QTcpServer::newConnection, this, &PhoneServer::accept);
    qInfo().noquote() << QStringLiteral("The phone remote serves %1").arg(address());
    emit switched(true);
    return true;
}

void PhoneServer::stop()
{
    if (!listener)
        return;
    listener.reset();
    // Each closes at once, whether its phone reads or not; closing says it left.
    for (PhoneConnection *connection : connections.values())
        connection->cut(1001);
    qInfo() << "The phone remote is off.";
    emit switched(false);
}

QString PhoneServer::address() const
{
    const Listening &listening = routes.listening();
    const std::optional<QHostAddress> own =
            listening.allowed ? surface::ownAddressIn(*listening.allowed, listening.ownAddresses) : std::nullopt;
    return QStringLiteral("http://%1:%2/").arg(own ? surface::urlHost(*own) : QStringLiteral("127.0.0.1")).arg(listening.port);
}

QSet<QString> PhoneServer::connectedPhones() const
{
    QSet<QString> connected;
    for (const auto &[number, client] : clients)
        connected.insert(client.phone);
    return connected;
}

QString PhoneServer::pairingAddress() const
{
    return address() + QStringLiteral("#code=") + pairing.code().current();
}

void PhoneServer::push(int to, const QByteArray &message, bool levels)
{
    const auto client = clients.find(to);
    if (client != clients.end())
        client->second.connection->send(message, levels);
}

// Who is let in is settled at the door, before a byte is read: a sender
// outside the allowed network, one address holding its share, or a flood of
// unfinished requests from everyone is closed at once.
void PhoneServer::accept()
{
    while (QTcpSocket *socket = listener ? listener->nextPendingConnection() : nullptr) {
        const QHostAddress sender = socket->peerAddress();
        const auto fromSender = std::count_if(connections.cbegin(), connections.cend(),
                                              [&](const PhoneConnection *c) { return c->peer() == sender; });
        const auto unfinished = std::count_if(connections.cbegin(), connections.cend(),
                                              [](const PhoneConnection *c) { return !c->isWebSocket(); });
        if (!senderAllowed(sender, routes.listening()) || fromSender >= limits::kConnectionsPerAddress
            || unfinished >= limits::kPendingRequests) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto *connection = new PhoneConnection(socket, this);
        connections.insert(connection);
        connect(connection, &PhoneConnection::requested, this, &PhoneServer::take);
        connect(connection, &PhoneConnection::closed, this, &PhoneServer::closed);
        connect(connection, &PhoneConnection::message, this, [this](PhoneConnection *from, const QByteArray &text) {
            const int client = clientOf(from);
            if (const std::optional<Command> command = parseMessage(text); command && client)
                emit commanded(client, *command);
        });
    }
}

void PhoneServer::take(PhoneConnection *connection, const HttpRequest &request)
{
    if (request.path == "/ws")
        openWebSocket(connection, request);
    else
        connection->answer(routes.answer(request, connection->peer()));
}

void PhoneServer::openWebSocket(PhoneConnection *connection, const HttpRequest &request)
{
    const QByteArray key = request.header("sec-websocket-key");
    if (request.method != "GET" || request.header("upgrade").toLower() != "websocket"
        || request.header("sec-websocket-version") != "13" || key.isEmpty())
        return connection->answer(jsonAnswer(400, "{\"error\":\"not a websocket\"}"));
    const std::optional<QString> phone = routes.allowed(request, connection->peer(), true) ? routes.phoneOf(request)
                                                                                           : std::nullopt;
    if (!phone)
        return connection->answer(jsonAnswer(403, "{\"error\":\"forbidden\"}"));
    const auto ofPhone = std::count_if(clients.cbegin(), clients.cend(),
                                       [&](const auto &client) { return client.second.phone == *phone; });
    connection->upgrade(key);
    // Refused after the upgrade, so that the page can read why.
    if (ofPhone >= limits::kSocketsPerPhone || clients.size() >= size_t(limits::kPhones * limits::kSocketsPerPhone)) {
        connection->send(ofPhone >= limits::kSocketsPerPhone ? "{\"t\":\"full\",\"why\":\"pages\"}"
                                                             : "{\"t\":\"full\",\"why\":\"phones\"}",
                         false);
        return connection->cut(1013);
    }
    // A client's number stands for a port at the surfaces' seam.
    while (clients.count(nextClient))
        nextClient = nextClient % 65535 + 1;
    const int id = nextClient;
    nextClient = nextClient % 65535 + 1;
    clients[id] = {connection, *phone};
    emit joined(id, connection->peer());
}

void PhoneServer::closed(PhoneConnection *connection)
{
    connections.remove(connection);
    const int client = clientOf(connection);
    if (!client)
        return;
    clients.erase(client);
    // Said once the seam is done with what it is doing: a phone cut off while
    // the seam sends to every subscriber must not change that list under it.
    QMetaObject::invokeMethod(this, [this, client] { emit left(client); }, Qt::QueuedConnection);
}

void PhoneServer::forget(const QString &phone)
{
    std::vector<PhoneConnection *> cut;
    for (const auto &[id, client] : clients)
        if (client.phone == phone)
            cut.push_back(client.connection);
    for (PhoneConnection *connection : cut)
        connection->cut(1008);
}

int PhoneServer::clientOf(const PhoneConnection *connection) const
{
    const auto found = std::find_if(clients.cbegin(), clients.cend(),
                                    [&](const auto &client) { return client.second.connection == connection; });
    return found == clients.cend() ? 0 : found->first;
}

} // namespace phone
