#include "oscendpoint.h"

#include "addresses.h"

#include <QDebug>
#include <QNetworkInterface>

#include <algorithm>
#include <utility>

namespace surface {

namespace {

// Datagrams read in one pass of the event loop; a flood waits for the next
// pass, and the window stays responsive meanwhile.
constexpr int kDatagramsPerPass = 64;
// The system's usual receive buffer holds some 250 small datagrams: a
// message right behind a longer burst was lost before the program could read it.
constexpr int kReceiveBufferBytes = 1024 * 1024;

// The host as the allowed network and the budgets know it: an IPv4 sender
// reaches a dual-stack port as an IPv4-mapped IPv6 address.
QHostAddress plainHost(const QHostAddress &host)
{
    bool isIPv4 = false;
    const quint32 ipv4 = host.toIPv4Address(&isIPv4);
    return isIPv4 ? QHostAddress(ipv4) : host;
}

} // namespace

OscEndpoint::OscEndpoint(DropLog &dropLog, QObject *parent)
    : QObject(parent)
    , log(dropLog)
{
    connect(&socket, &QUdpSocket::readyRead, this, &OscEndpoint::readPending);
    connect(&loopbackIPv6, &QUdpSocket::readyRead, this, &OscEndpoint::readPending);
    nextPass.setSingleShot(true);
    connect(&nextPass, &QTimer::timeout, this, &OscEndpoint::readPending);
}

bool OscEndpoint::open(quint16 port, const std::optional<Network> &allowed, QString &problem)
{
    close();
    allowedNetwork = allowed;
    ownAddresses = QNetworkInterface::allAddresses();
    const QHostAddress where = allowed ? QHostAddress(QHostAddress::Any) : QHostAddress(QHostAddress::LocalHost);
    // The port is this program's alone: on Windows another program could
    // otherwise bind it too and read the surfaces' messages (SO_EXCLUSIVEADDRUSE);
    // elsewhere a port is not shared unless both ask for it.
    if (!socket.bind(where, port, QAbstractSocket::DontShareAddress)) {
        problem = socket.errorString();
        socket.close();
        return false;
    }
    askForBurstBuffer(socket);
    // A system without IPv6, or another program on [::1] at this port, leaves 127.0.0.1 alone.
    if (!allowed && !loopbackIPv6.bind(QHostAddress::LocalHostIPv6, port, QAbstractSocket::DontShareAddress)) {
        qDebug().noquote() << "OSC: not listening on [::1]:" + QString::number(port) + ":" << loopbackIPv6.errorString();
        loopbackIPv6.close();
    } else if (!allowed) {
        askForBurstBuffer(loopbackIPv6);
    }
    return true;
}

// Linux grants at most net.core.rmem_max; a smaller buffer still works, and loses a long burst's tail.
void OscEndpoint::askForBurstBuffer(QUdpSocket &bound)
{
    bound.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, kReceiveBufferBytes);
    const int granted = bound.socketOption(QAbstractSocket::ReceiveBufferSizeSocketOption).toInt();
    if (granted >= kReceiveBufferBytes || std::exchange(toldSmallBuffer, true))
        return;
    qDebug().noquote() << QStringLiteral("OSC: the system grants a receive buffer of %1 bytes, not %2: a burst of "
                                         "datagrams may lose its tail")
                              .arg(granted)
                              .arg(kReceiveBufferBytes);
}

void OscEndpoint::close()
{
    nextPass.stop();
    socket.close();
    loopbackIPv6.close();
}

bool OscEndpoint::isOpen() const
{
    return socket.state() == QAbstractSocket::BoundState;
}

QString OscEndpoint::address() const
{
    // Bound to Any, the socket is dual-stack: IPv4 and IPv6 senders both reach it.
    if (socket.localAddress() == QHostAddress::Any || socket.localAddress() == QHostAddress::AnyIPv6)
        return QStringLiteral("[::]:%1 (every interface, IPv4 and IPv6)").arg(socket.localPort());
    const QString ipv4 = socket.localAddress().toString() + QLatin1Char(':') + QString::number(socket.localPort());
    if (loopbackIPv6.state() != QAbstractSocket::BoundState)
        return ipv4;
    return QStringLiteral("%1 and [::1]:%2").arg(ipv4).arg(loopbackIPv6.localPort());
}

QByteArrayList OscEndpoint::encode(const Outgoing &item) const
{
    return datagramsOf(item);
}

void OscEndpoint::deliver(const QByteArray &datagram, const Peer &to)
{
    if (!isOpen() || datagram.isEmpty())
        return;
    // An answer to ::1 can leave only from the socket on ::1.
    const bool viaIPv6Loopback = to.host == QHostAddress::LocalHostIPv6 && loopbackIPv6.state() == QAbstractSocket::BoundState;
    (viaIPv6Loopback ? loopbackIPv6 : socket).writeDatagram(datagram, to.host, to.port);
}

bool OscEndpoint::isOwnSocket(const QHostAddress &host, quint16 port) const
{
    if (!isOpen() || port != socket.localPort())
        return false;
    return host.isLoopback() || ownAddresses.contains(host);
}

bool OscEndpoint::isAllowed(const QHostAddress &host) const
{
    return host.isLoopback() || (allowedNetwork && host.isInSubnet(*allowedNetwork));
}

// Qt 6.4 marks the socket as holding data when it signals readyRead and
// clears the mark only when a datagram is read; a read notification that
// finds the mark set switches notifications off instead of signalling. With
// a second way into this pass (the queued next pass), a notification polled
// before that pass emptied the queue still came after it: readyRead with
// nothing to read, the mark stayed, and the port was deaf for good. So every
// pass reads at least once, which clears the mark even when the queue is
// empty. A pass reads a bounded slice, so the window stays responsive, and
// queues the next while datagrams wait, so the queue always empties.
void OscEndpoint::readPending()
{
    readSlice(socket);
    const bool secondSocket = loopbackIPv6.state() == QAbstractSocket::BoundState;
    if (secondSocket)
        readSlice(loopbackIPv6);
    if (isOpen() && (socket.hasPendingDatagrams() || (secondSocket && loopbackIPv6.hasPendingDatagrams())))
        nextPass.start(0);
}

void OscEndpoint::readSlice(QUdpSocket &from)
{
    char buffer[kMaxDatagramBytes + 1];
    for (int read = 0; read < kDatagramsPerPass && (read == 0 || from.hasPendingDatagrams()); ++read) {
        QHostAddress sender;
        quint16 port = 0;
        const qint64 size = from.readDatagram(buffer, sizeof buffer, &sender, &port);
        if (size < 0)
            continue;
        const QHostAddress host = plainHost(sender);
        if (!isAllowed(host)) {
            log.count(DropLog::NotAllowed);
            continue;
        }
        // Its own answers, or a sender forging its address, would start a loop.
        if (isOwnSocket(host, port)) {
            log.count(DropLog::OwnOutput);
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
        const std::size_t taken = std::min(messages->size(), kMaxMessagesPerDatagram);
        log.count(DropLog::Surplus, int(messages->size() - taken));
        for (std::size_t i = 0; i < taken; ++i)
            emit received((*messages)[i], Peer {this, host, port});
    }
}

} // namespace surface
