#include "requestcheck.h"

namespace phone {

bool senderAllowed(const QHostAddress &sender, const Listening &listening)
{
    if (sender.isLoopback())
        return true;
    const QHostAddress plain = sender.protocol() == QAbstractSocket::IPv6Protocol
            ? QHostAddress(sender.toIPv4Address())
            : sender;
    return listening.allowed && (plain.isInSubnet(*listening.allowed) || sender.isInSubnet(*listening.allowed));
}

bool hostAllowed(const QByteArray &host, const Listening &listening)
{
    if (host.isEmpty() || host.contains(']'))
        return false;
    const qsizetype colon = host.lastIndexOf(':');
    // A browser leaves out the port that goes without saying, 80.
    const QByteArray port = colon < 0 ? QByteArray("80") : host.mid(colon + 1);
    // The port as digits alone: no sign, blank or anything after it.
    if (colon == 0 || port != QByteArray::number(listening.port))
        return false;
    const QByteArray name = colon < 0 ? host : host.left(colon);
    if (name == "localhost")
        return true;
    QHostAddress address;
    // Only the address as a browser writes it: "127.1", "127.00.0.1" or a
    // number alone would be other names for the same host.
    if (!address.setAddress(QString::fromLatin1(name)) || address.toString().toLatin1() != name)
        return false;
    return listening.ownAddresses.contains(address);
}

bool originAllowed(const QByteArray &origin, const QByteArray &host)
{
    return !host.isEmpty() && origin == "http://" + host;
}

} // namespace phone
