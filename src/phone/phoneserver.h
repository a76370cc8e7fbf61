#pragma once

#include "pairing.h"
#include "pairedphones.h"
#include "phonemessages.h"
#include "phoneroutes.h"

#include <surfacesettings.h>

#include <QObject>
#include <QSet>

#include <map>
#include <memory>

class QTcpServer;

// The phone remote: the panel's own page, served over HTTP to the browsers
// of the allowed network, and a WebSocket per open page of a paired phone
// that carries its commands to the panel and every change back. It runs on
// the window's thread, where no socket ever waits (see PhoneConnection), so
// turning it off, forgetting a phone or quitting takes no longer than
// closing sockets. What a stranger may make it do is bounded in
// phonelimits.h; what the phones' commands do is the surfaces' seam's (see
// phonetransport.h).
namespace phone {

class PhoneConnection;

class PhoneServer : public QObject
{
    Q_OBJECT

public:
    static constexpr quint16 kDefaultPort = surface::kDefaultPhonePort;

    PhoneServer(PairedPhones &phones, QObject *parent = nullptr);
    ~PhoneServer() override;

    // Serves on the port to this computer and the allowed network; false
    // with the reason when it cannot (the port taken, most likely).
    bool start(quint16 port, const std::optional<Network> &allowed, QString &error);
    void stop();
    bool isOn() const { return listener != nullptr; }
    quint16 port() const { return routes.listening().port; }
    // The address a phone opens: this computer's on the allowed network, or loopback.
    QString address() const;
    // The address with the pairing code, for the QR code.
    QString pairingAddress() const;
    PairingCode &pairingCode() { return pairing.code(); }
    Pairing &pairingOfPhones() { return pairing; }
    // The paired phones with a page open now.
    QSet<QString> connectedPhones() const;

    // Sends a message to the client; a reading of levels is skipped for a phone that is behind.
    void push(int client, const QByteArray &message, bool levels);

signals:
    void switched(bool on);
    // A paired phone's WebSocket opened, sent a command, or closed (the
    // server stopping closes them all; left comes from the event loop).
    void joined(int client, const QHostAddress &host);
    void commanded(int client, const phone::Command &command);
    void left(int client);

private:
    struct Client
    {
        PhoneConnection *connection = nullptr;
        QString phone;
    };

    void accept();
    void take(PhoneConnection *connection, const HttpRequest &request);
    void openWebSocket(PhoneConnection *connection, const HttpRequest &request);
    void closed(PhoneConnection *connection);
    void forget(const QString &phone);
    int clientOf(const PhoneConnection *connection) const;

    PairedPhones &phones;
    Pairing pairing;
    PhoneRoutes routes;
    std::unique_ptr<QTcpServer> listener;
    QSet<PhoneConnection *> connections;
    std::map<int, Client> clients;
    int nextClient = 1;
};

} // namespace phone
