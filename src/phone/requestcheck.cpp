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
    const int colon = host.lastIndexOf(':');
    if (colon <= 0 || host.contains(']'))
        return false;
    bool ok = false;
    if (host.mid(colon + 1).toUShort(&ok) != listening.port || !ok)
        return false;
    const QByteArray name = host.left(colon);
    if (name == "localhost")
        return true;
    QHostAddress address;
    // Only the dotted form: "127.1" or a number alone are names a page could hide behind.
    if (name.count('.') != 3 || !address.setAddress(QString::fromLatin1(name)))
        return false;
    return listening.ownAddresses.contains(address);
}

bool originAllowed(const QByteArray &origin, const QByteArray &host)
{
    return !host.isEmpty() && origin == "http://" + host;
}

} // namespace phone
