#pragma once

#include "droplog.h"
#include "oscwire.h"
#include "subscribers.h"
#include "surfacesettings.h"

#include <QObject>
#include <QUdpSocket>

#include <optional>

namespace surface {

// The program's UDP port for control surfaces: it reads datagrams without
// ever blocking the window, answers only allowed hosts, and drops what is
// not well-formed OSC of a size a surface sends, counting it.
class OscEndpoint : public QObject
{
    Q_OBJECT

public:
    explicit OscEndpoint(DropLog &log, QObject *parent = nullptr);

    // Listens on this computer's loopback address, or on every interface when
    // a network is allowed too. False, with the reason, when the port cannot be had.
    bool open(quint16 port, const std::optional<Network> &allowed, QString &problem);
    void close();
    bool isOpen() const;
    // "127.0.0.1:9000"
    QString address() const;

    void send(const QByteArray &datagram, const Peer &to);

signals:
    void received(const surface::Message &message, const surface::Peer &from);

private:
    void readPending();
    bool isAllowed(const QHostAddress &host) const;

    DropLog &log;
    QUdpSocket socket;
    std::optional<Network> allowedNetwork;
};

} // namespace surface
