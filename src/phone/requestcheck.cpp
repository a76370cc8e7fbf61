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
    // An IPv6 address stands in brackets, its own colons inside them.
    const bool bracketed = host.startsWith('[');
    const qsizetype nameEnd = bracketed ? host.indexOf(']') + 1 : host.size();
    if (host.isEmpty() || (bracketed && nameEnd <= 1))
        return false;
    const qsizetype colon = host.indexOf(':', bracketed ? nameEnd : 0);
    if (bracketed ? colon != nameEnd && nameEnd != host.size() : host.count(':') > 1)
        return false;
    // A browser leaves out the port that goes without saying, 80.
    const QByteArray port = colon < 0 ? QByteArray("80") : host.mid(colon + 1);
    // The port as digits alone: no sign, blank or anything after it.
    if (colon == 0 || port != QByteArray::number(listening.port))
        return false;
    const QByteArray name = bracketed ? host.mid(1, nameEnd - 2) : colon < 0 ? host : host.left(colon);
    if (name == "localhost")
        return true;
    QHostAddress address;
    // Only the address as a browser writes it: "127.1", "127.00.0.1" or a
    // number alone would be other names for the same host.
    if (!address.setAddress(QString::fromLatin1(name)) || address.toString().toLatin1() != name
        || bracketed != (address.protocol() == QAbstractSocket::IPv6Protocol))
        return false;
    return listening.ownAddresses.contains(address);
}

bool originAllowed(const QByteArray &origin, const QByteArray &host)
{
    return !host.isEmpty() && origin == "http://" + host;
}

} // namespace phone
