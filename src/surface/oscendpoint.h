#pragma once

#include "droplog.h"
#include "oscwire.h"
#include "surfacesettings.h"
#include "transport.h"

#include <QObject>
#include <QTimer>
#include <QUdpSocket>

#include <optional>

namespace surface {

// The program's UDP port for control surfaces, the OSC transport of the
// surfaces' seam: it reads datagrams without ever blocking the window, takes
// only allowed hosts' messages (at most 16 of one datagram), drops what is
// not well-formed OSC of a size a surface sends and what comes from its own
// port, counting what it drops, and writes the seam's items in the OSC
// address space.
class OscEndpoint : public QObject, public Transport
{
    Q_OBJECT

public:
    explicit OscEndpoint(DropLog &log, QObject *parent = nullptr);

    // Listens on this computer's loopback addresses (127.0.0.1, and ::1 where
    // the system has it: "localhost" often names ::1 first, on Windows above
    // all), or on every interface when a network is allowed too. False, with
    // the reason, when the port cannot be had on 127.0.0.1 or every interface.
    bool open(quint16 port, const std::optional<Network> &allowed, QString &problem);
    void close();
    bool isOpen() const;
    // "127.0.0.1:9000 and [::1]:9000", or "[::]:9000 (every interface, IPv4 and IPv6)"
    QString address() const;

    QByteArrayList encode(const Outgoing &item) const override;
    void deliver(const QByteArray &datagram, const Peer &to) override;
    bool leases() const override { return true; }
    // This endpoint's port at any address of this computer.
    bool isOwnSocket(const QHostAddress &host, quint16 port) const override;

signals:
    void received(const surface::Message &message, const surface::Peer &from);

private:
    void readPending();
    void readSlice(QUdpSocket &from);
    bool isAllowed(const QHostAddress &host) const;
    void askForBurstBuffer(QUdpSocket &socket);

    DropLog &log;
    QUdpSocket socket;
    // IPv6's loopback beside 127.0.0.1, while only this computer is served.
    QUdpSocket loopbackIPv6;
    QTimer nextPass;
    std::optional<Network> allowedNetwork;
    // This computer's, as it was when the port opened: a forged sender would
    // otherwise cost a look at every interface for each datagram.
    QList<QHostAddress> ownAddresses;
    bool toldSmallBuffer = false;
};

} // namespace surface
