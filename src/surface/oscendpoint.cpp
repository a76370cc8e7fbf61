#include "oscendpoint.h"

#include <QTimer>

namespace surface {

namespace {

// Datagrams read in one pass of the event loop; a flood waits for the next
// pass, and the window stays responsive meanwhile.
constexpr int kDatagramsPerPass = 64;

} // namespace

OscEndpoint::OscEndpoint(DropLog &dropLog, QObject *parent)
    : QObject(parent)
    , log(dropLog)
{
    connect(&socket, &QUdpSocket::readyRead, this, &OscEndpoint::readPending);
}

bool OscEndpoint::open(quint16 port, const std::optional<Network> &allowed, QString &problem)
{
    close();
    allowedNetwork = allowed;
    const QHostAddress where = allowed ? QHostAddress(QHostAddress::Any) : QHostAddress(QHostAddress::LocalHost);
    if (socket.bind(where, port))
        return true;
    problem = socket.errorString();
    socket.close();
    return false;
}

void OscEndpoint::close()
{
    socket.close();
}

bool OscEndpoint::isOpen() const
{
    return socket.state() == QAbstractSocket::BoundState;
}

QString OscEndpoint::address() const
{
    const QHostAddress host = socket.localAddress();
    return (host == QHostAddress::Any ? QStringLiteral("0.0.0.0") : host.toString()) + QLatin1Char(':')
         + QString::number(socket.localPort());
}

void OscEndpoint::send(const QByteArray &datagram, const Peer &to)
{
    if (isOpen() && !datagram.isEmpty())
        socket.writeDatagram(datagram, to.host, to.port);
}

bool OscEndpoint::isAllowed(const QHostAddress &host) const
{
    bool isIPv4 = false;
    const QHostAddress plain(host.toIPv4Address(&isIPv4));
    const QHostAddress &sender = isIPv4 ? plain : host;
    return sender.isLoopback() || (allowedNetwork && sender.isInSubnet(*allowedNetwork));
}

void OscEndpoint::readPending()
{
    char buffer[kMaxDatagramBytes + 1];
    for (int read = 0; read < kDatagramsPerPass && socket.hasPendingDatagrams(); ++read) {
        QHostAddress host;
        quint16 port = 0;
        const qint64 size = socket.readDatagram(buffer, sizeof buffer, &host, &port);
        if (size < 0)
            continue;
        if (!isAllowed(host)) {
            log.count(DropLog::NotAllowed);
            continue;
        }
        if (size > kMaxDatagramBytes) {
            log.count(DropLog::Oversized);
            continue;
        }
        const std::optional<std::vector<Message>> messages = decode(buffer, std::size_t(size));
        if (!messages) {
            log.count(DropLog::Malformed);
            continue;
        }
        for (const Message &message : *messages)
            emit received(message, Peer {host, port});
    }
    if (socket.hasPendingDatagrams())
        QTimer::singleShot(0, this, &OscEndpoint::readPending);
}

} // namespace surface
