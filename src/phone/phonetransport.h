#pragma once

#include "phonemessages.h"

#include <panelsurface.h>
#include <transport.h>

#include <QHash>
#include <QObject>

// The phone remote as a transport of the surfaces' seam, beside OSC: each
// paired phone's WebSocket is a client, subscribed from the moment it
// connects until it closes; its commands pass the seam's safety gate,
// throttle and the reply budget of the phone's host, as a surface's do, and
// the seam's answers, states, changes and levels go back as the page's
// messages (phonemessages.h), through the phone's queue in PhoneServer.
namespace phone {

class PhoneServer;

class PhoneTransport : public QObject, public surface::Transport
{
public:
    PhoneTransport(surface::PanelSurface &seam, PhoneServer &server, QObject *parent = nullptr);
    ~PhoneTransport() override;

    // Whether this session drives the interface; another session's program holds it otherwise.
    void setAtConsole(bool atConsole);

    QByteArrayList encode(const surface::Outgoing &item) const override;
    void deliver(const QByteArray &message, const surface::Peer &to) override;
    bool leases() const override { return false; }

private:
    void join(int client, const QHostAddress &host);
    void command(int client, const Command &command);
    void leave(int client);

    surface::PanelSurface &seam;
    PhoneServer &server;
    QHash<int, surface::Peer> peers;
    bool atConsole = true;
};

} // namespace phone
