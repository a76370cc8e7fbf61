#pragma once

#include "pairingcode.h"
#include "pairedphones.h"
#include "phonemessages.h"
#include "requestcheck.h"

#include <surfacesettings.h>

#include <QHash>
#include <QMap>
#include <QObject>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

struct mg_connection;
struct mg_context;

// The phone remote: the panel's own page, served over HTTP to the browsers
// of the allowed network, and a WebSocket per paired phone that carries its
// commands to the panel and every change back. civetweb's worker threads
// never touch the panel or a widget: each request crosses to the window's
// thread as a queued call and waits a bounded time for it, and what goes to
// a phone leaves from that phone's own queue on a thread of its own, so a
// slow phone never holds the window up. What the phones' commands do, and
// what goes back to them, is the surfaces' seam's (see phonetransport.h).
namespace phone {

class PhoneServer : public QObject
{
    Q_OBJECT

public:
    static constexpr quint16 kDefaultPort = surface::kDefaultPhonePort;
    static constexpr int kMaxPhones = 8;
    static constexpr int kMessagesPerSecond = 40;
    static constexpr int kQueuedMessages = 256;

    PhoneServer(PairedPhones &phones, QObject *parent = nullptr);
    ~PhoneServer() override;

    // Serves on the port to this computer and the allowed network; false
    // with the reason when it cannot (the port taken, most likely).
    bool start(quint16 port, const std::optional<Network> &allowed, QString &error);
    void stop();
    bool isOn() const { return context != nullptr; }
    quint16 port() const { return listening.port; }
    // The address a phone opens: this computer's on the allowed network, or loopback.
    QString address() const;
    // The address with the pairing code, for the QR code.
    QString pairingAddress() const;
    PairingCode &pairingCode() { return code; }
    int phoneCount() const;

    // The desktop's answer to approvalWanted.
    void approve(const QString &request, bool allowed);
    // Queues a message for the client; a reading of levels replaces one not yet sent.
    void push(int client, const QByteArray &message, bool levels);

signals:
    void switched(bool on);
    // A phone sent the right pairing code: the user is to allow it or not.
    void approvalWanted(const QString &request, const QString &address, const QString &browser);
    // The phone asking gave up or took too long: its question is void.
    void approvalVoid(const QString &request);
    // On the window's thread: a paired phone's WebSocket opened, sent a
    // command, or closed (the server stopping closes them all).
    void joined(int client, const QHostAddress &host);
    void commanded(int client, const phone::Command &command);
    void left(int client);

private:
    struct Client;
    struct Approval;
    struct HttpAnswer;

    static int onRequest(mg_connection *connection, void *server);
    static int onWebSocketConnect(const mg_connection *connection, void *server);
    static void onWebSocketReady(mg_connection *connection, void *server);
    static int onWebSocketData(mg_connection *connection, int bits, char *data, size_t length, void *server);
    static void onWebSocketClose(const mg_connection *connection, void *server);

    bool requestAllowed(const mg_connection *connection, bool needsOrigin) const;
    HttpAnswer answer(mg_connection *connection);
    std::optional<QString> phoneOf(const mg_connection *connection);
    HttpAnswer pair(const QByteArray &body, const QString &address, const QString &browser);
    HttpAnswer awaitApproval(const QByteArray &body, const QString &address);

    // On the window's thread.
    void forget(const QString &phone);
    void pushLoop();
    std::shared_ptr<Client> client(int id) const;

    PairedPhones &phones;
    PairingCode code;
    mg_context *context = nullptr;
    Listening listening;
    QMap<QString, QByteArray> pages;

    mutable std::mutex clientsMutex;
    std::map<int, std::shared_ptr<Client>> clients;
    int nextClient = 1;

    std::mutex pushMutex;
    std::condition_variable pushWake;
    bool pushPending = false;
    bool pushStopping = false;
    std::thread pusher;

    QHash<QString, std::shared_ptr<Approval>> approvals;
};

} // namespace phone
