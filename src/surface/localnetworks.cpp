#include "localnetworks.h"

#include <QNetworkInterface>

#include <algorithm>

namespace surface {

namespace {

constexpr int kWidestIPv4 = 16;
constexpr int kIPv6Network = 64;

std::optional<Network> networkAround(const QHostAddress &ip, int prefixLength)
{
    if (ip.isLoopback() || ip.isLinkLocal() || prefixLength < 0)
        return std::nullopt;
    const bool v4 = ip.protocol() == QAbstractSocket::IPv4Protocol;
    const int bits = v4 ? std::max(prefixLength, kWidestIPv4) : kIPv6Network;
    // A /31 or /32 (a point-to-point link, a VPN's host route) holds no other host to allow.
    if (v4 && bits > 30)
        return std::nullopt;
    return parseNetwork(QStringLiteral("%1/%2").arg(ip.toString()).arg(bits));
}

} // namespace

QList<LocalNetwork> networksOf(const QList<InterfaceAddress> &addresses)
{
    QList<LocalNetwork> networks;
    for (const InterfaceAddress &address : addresses) {
        const std::optional<Network> network = networkAround(address.ip, address.prefixLength);
        if (!network)
            continue;
        const bool known = std::any_of(networks.cbegin(), networks.cend(),
                                       [&](const LocalNetwork &seen) { return seen.network == *network; });
        if (!known)
            networks.append({address.interfaceName, *network, address.ip});
    }
    return networks;
}

QList<LocalNetwork> localNetworks()
{
    QList<InterfaceAddress> addresses;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        const QNetworkInterface::InterfaceFlags flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            QHostAddress ip = entry.ip();
            ip.setScopeId(QString());
            addresses.append({interface.humanReadableName(), ip, entry.prefixLength()});
        }
    }
    return networksOf(addresses);
}

std::optional<QHostAddress> ownAddressIn(const Network &network, const QList<QHostAddress> &ownAddresses)
{
    for (const QHostAddress &own : ownAddresses)
        if (!own.isLoopback() && own.isInSubnet(network))
            return own;
    return std::nullopt;
}

QString urlHost(const QHostAddress &address)
{
    return address.protocol() == QAbstractSocket::IPv6Protocol ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                                                              : address.toString();
}

} // namespace surface
