#pragma once

#include "surfacesettings.h"

#include <QHostAddress>
#include <QList>
#include <QString>

#include <optional>

class QNetworkInterface;

// This computer's own networks, as a user picks one to allow: each named by
// its interface, each as wide as the allowed network may be and no wider.
namespace surface {

// One address of one of this computer's interfaces, as the system reports it.
struct InterfaceAddress
{
    QString interfaceName; // "Wi-Fi", "eth0"
    QHostAddress ip;
    int prefixLength = -1;
};

struct LocalNetwork
{
    QString interfaceName;
    Network network;
    QHostAddress own; // this computer's address in it
};

// The networks of the addresses, each once, in the order given. An IPv4
// network wider than a /16 is offered as the /16 around the address, and an
// IPv6 network always as the /64 around it (the widest the setting takes);
// loopback, IPv6 link-local (a phone cannot open it without its zone) and
// single-host addresses offer no network.
QList<LocalNetwork> networksOf(const QList<InterfaceAddress> &addresses);
// Those of the interfaces that are up and not loopback.
QList<LocalNetwork> localNetworks();

// This computer's address in the network, to give a phone or a surface app;
// nothing when it has none there.
std::optional<QHostAddress> ownAddressIn(const Network &network, const QList<QHostAddress> &ownAddresses);
// As a URL's host: an IPv6 address in brackets.
QString urlHost(const QHostAddress &address);

} // namespace surface
