#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPair>

#include <optional>

// Who may reach the phone remote, checked on every request and on the
// WebSocket's upgrade: a sender of the allowed network, naming this computer
// as its Host (a page of another name that resolves here, DNS rebinding, is
// refused) and, where a browser says where a request comes from, this page's
// own Origin (a page of another site is refused).
namespace phone {

// An address and the bits of its network, as the surfaces' allowed network.
using Network = QPair<QHostAddress, int>;

struct Listening
{
    quint16 port = 0;
    QList<QHostAddress> ownAddresses; // this computer's, loopback included
    std::optional<Network> allowed;   // without it, this computer alone
};

// This computer, or a host of the allowed network.
bool senderAllowed(const QHostAddress &sender, const Listening &listening);
// "address:port", "[IPv6 address]:port" or "localhost:port", the address one
// of this computer's (the port left out where it is 80, as browsers write it).
bool hostAllowed(const QByteArray &host, const Listening &listening);
// Exactly "http://" followed by the request's own Host.
bool originAllowed(const QByteArray &origin, const QByteArray &host);

} // namespace phone
