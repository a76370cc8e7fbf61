#include "phoneserver.h"

#include "browsername.h"
#include "guicall.h"
#include "phonemessages.h"

#include <civetweb.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkInterface>
#include <QRandomGenerator>
#include <QUrl>
#include <QtDebug>

#include <deque>
#include <utility>

using namespace std::chrono_literals;

namespace phone {

namespace {

// How long a request waits for the window before it is answered "busy".
constexpr auto kGuiWait = 1500ms;
constexpr int kMaxBodyBytes = 256;
constexpr int kApprovalMs = PairingCode::kLifetimeMs;
const char kCookie[] = "korvist_phone";

// Every answer: nothing from elsewhere runs, loads or frames the page, and
// nothing is kept or sniffed.
const char kSecurityHeaders[] =
    "Content-Security-Policy: default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'\r\n"
    "X-Content-Type-Options: nosniff\r\n"
    "X-Frame-Options: DENY\r\n"
    "Referrer-Policy: no-referrer\r\n"
    "Cache-Control: no-store\r\n"
    "Connection: close\r\n";

// The page's files by their one address each: a URL never names a file.
const struct
{
    const char *path;
    const char *resource;
    const char *type;
} kPages[] = {
    {"/", ":/phone/index.html", "text/html; charset=utf-8"},
    {"/app.js", ":/phone/app.js", "text/javascript; charset=utf-8"},
    {"/app.css", ":/phone/app.css", "text/css; charset=utf-8"},
};

QByteArray header(const mg_connection *connection, const char *name)
{
    const char *value = mg_get_header(connection, name);
    return value ? QByteArray(value) : QByteArray();
}

QString tokenOf(const mg_connection *connection)
{
    const QByteArray cookies = header(connection, "Cookie");
    char token[128];
    if (cookies.isEmpty() || mg_get_cookie(cookies.constData(), kCookie, token, sizeof token) <= 0)
        return QString();
    return QString::fromLatin1(token);
}

QJsonObject bodyObject(const QByteArray &body)
{
    return QJsonDocument::fromJson(body).object();
}

QByteArray json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

struct PhoneServer::Client
{
    int id = 0;
    mg_connection *connection = nullptr;
    QString phone;
    QHostAddress host;
    // The queue is the window's to fill and the pusher's to empty; a write
    // holds the connection, which the close waits for.
    std::mutex queueMutex;
    std::deque<QByteArray> queue;
    QByteArray levels;
    bool overflowed = false;
    bool cutOff = false;
    std::mutex writeMutex;
    bool closed = false;
    bool closeSent = false;
    // Read on the connection's own worker thread only.
    QDeadlineTimer window;
    int messagesInWindow = 0;
};

struct PhoneServer::Approval
{
    enum class State { Waiting, Allowed, Denied };
    State state = State::Waiting;
    QString address;
    QString browser;
    QString token;
    QDeadlineTimer expiry {kApprovalMs};
};

struct PhoneServer::HttpAnswer
{
    int status = 404;
    QByteArray type = "application/json";
    QByteArray body;
    QByteArray headers;
};

PhoneServer::PhoneServer(PairedPhones &pairedPhones, QObject *parent)
    : QObject(parent)
    , phones(pairedPhones)
{
    mg_init_library(0);
    connect(&phones, &PairedPhones::forgotten, this, &PhoneServer::forget);
}

PhoneServer::~PhoneServer()
{
    stop();
    mg_exit_library();
}

bool PhoneServer::start(quint16 port, const std::optional<Network> &allowed, QString &error)
{
    stop();
    listening = {port, QNetworkInterface::allAddresses(), allowed};
    for (const auto &page : kPages) {
        QFile file(QString::fromLatin1(page.resource));
        file.open(QIODevice::ReadOnly);
        pages.insert(QString::fromLatin1(page.path), file.readAll());
    }
    // Without an allowed network the socket itself serves this computer alone.
    const bool ipv4 = allowed && allowed->first.protocol() == QAbstractSocket::IPv4Protocol;
    const QByteArray ports = (ipv4 ? QByteArray() : QByteArray("127.0.0.1:")) + QByteArray::number(port);
    const QByteArray access = "-0.0.0.0/0,+127.0.0.0/8"
            + (ipv4 ? ",+" + allowed->first.toString().toLatin1() + '/' + QByteArray::number(allowed->second)
                    : QByteArray());
    // Each phone's WebSocket holds a worker thread; the rest serve pages.
    const QByteArray threads = QByteArray::number(kMaxPhones + 4);
    const char *options[] = {"listening_ports", ports.constData(),
                             "access_control_list", access.constData(),
                             "num_threads", threads.constData(),
                             "max_request_size", "8192",
                             "request_timeout_ms", "10000",
                             "websocket_timeout_ms", "30000",
                             "enable_websocket_ping_pong", "yes",
                             "enable_keep_alive", "no",
                             nullptr};
    mg_callbacks callbacks {};
    mg_init_data init {};
    init.callbacks = &callbacks;
    init.user_data = this;
    init.configuration_options = options;
    mg_error_data failure {};
    char message[256] = {};
    failure.text = message;
    failure.text_buffer_size = sizeof message;
    context = mg_start2(&init, &failure);
    if (!context) {
        error = QStringLiteral("The phone remote could not listen on port %1: %2").arg(port).arg(QString::fromUtf8(message));
        qWarning().noquote() << error;
        return false;
    }
    mg_set_request_handler(context, "/", &PhoneServer::onRequest, this);
    mg_set_websocket_handler(context, "/ws", &PhoneServer::onWebSocketConnect, &PhoneServer::onWebSocketReady,
                             &PhoneServer::onWebSocketData, &PhoneServer::onWebSocketClose, this);
    pushStopping = false;
    pusher = std::thread([this] { pushLoop(); });
    qInfo().noquote() << QStringLiteral("The phone remote serves %1").arg(address());
    emit switched(true);
    return true;
}

void PhoneServer::stop()
{
    if (!context)
        return;
    {
        std::lock_guard lock(pushMutex);
        pushStopping = true;
    }
    pushWake.notify_all();
    pusher.join();
    mg_stop(context);
    context = nullptr;
    std::map<int, std::shared_ptr<Client>> gone;
    {
        std::lock_guard lock(clientsMutex);
        gone.swap(clients);
    }
    for (const auto &[id, client] : gone)
        emit left(id);
    qInfo() << "The phone remote is off.";
    emit switched(false);
}

QString PhoneServer::address() const
{
    QHostAddress host(QHostAddress::LocalHost);
    for (const QHostAddress &own : listening.ownAddresses)
        if (!own.isLoopback() && own.protocol() == QAbstractSocket::IPv4Protocol && listening.allowed
            && own.isInSubnet(*listening.allowed)) {
            host = own;
            break;
        }
    return QStringLiteral("http://%1:%2/").arg(host.toString()).arg(listening.port);
}

QString PhoneServer::pairingAddress() const
{
    return address() + QStringLiteral("#code=") + code.current();
}

int PhoneServer::phoneCount() const
{
    std::lock_guard lock(clientsMutex);
    return int(clients.size());
}

void PhoneServer::approve(const QString &request, bool allowed)
{
    const std::shared_ptr<Approval> approval = approvals.value(request);
    if (!approval || approval->state != Approval::State::Waiting)
        return;
    if (!allowed || approval->expiry.hasExpired()) {
        approval->state = Approval::State::Denied;
        return;
    }
    approval->token = phones.pair(approval->browser, approval->address);
    approval->state = approval->token.isEmpty() ? Approval::State::Denied : Approval::State::Allowed;
    qInfo().noquote() << QStringLiteral("The phone at %1 (%2) was allowed.").arg(approval->address, approval->browser);
}

bool PhoneServer::requestAllowed(const mg_connection *connection, bool needsOrigin) const
{
    const mg_request_info *request = mg_get_request_info(connection);
    const QByteArray host = header(connection, "Host");
    const QByteArray origin = header(connection, "Origin");
    return senderAllowed(QHostAddress(QString::fromLatin1(request->remote_addr)), listening)
            && hostAllowed(host, listening)
            && (origin.isEmpty() ? !needsOrigin : originAllowed(origin, host));
}

int PhoneServer::onRequest(mg_connection *connection, void *data)
{
    auto *server = static_cast<PhoneServer *>(data);
    const HttpAnswer reply = server->answer(connection);
    const QByteArray body = reply.status == 404 && reply.body.isEmpty() ? QByteArray("{\"error\":\"not found\"}") : reply.body;
    mg_printf(connection, "HTTP/1.1 %d %s\r\nContent-Type: %s\r\nContent-Length: %d\r\n%s%s\r\n", reply.status,
              mg_get_response_code_text(connection, reply.status), reply.type.constData(), int(body.size()),
              kSecurityHeaders, reply.headers.constData());
    mg_write(connection, body.constData(), body.size());
    return reply.status;
}

PhoneServer::HttpAnswer PhoneServer::answer(mg_connection *connection)
{
    const mg_request_info *request = mg_get_request_info(connection);
    const QByteArray method(request->request_method);
    const QByteArray path(request->local_uri_raw ? request->local_uri_raw : "");
    const bool reading = method == "GET" || method == "HEAD";
    // A page of another site may send a form to us: anything that is not a plain read must name our Origin.
    if (!requestAllowed(connection, !reading))
        return {403, "application/json", "{\"error\":\"forbidden\"}"};
    if (reading) {
        for (const auto &page : kPages)
            if (path == page.path)
                return {200, page.type, pages.value(QString::fromLatin1(page.path))};
        if (path == "/session") {
            const std::optional<QString> phone = phoneOf(connection);
            return {200, "application/json", phone ? "{\"paired\":true}" : "{\"paired\":false}"};
        }
        return {};
    }
    if (method != "POST")
        return {405, "application/json", "{\"error\":\"method\"}"};
    if (request->content_length < 0 || request->content_length > kMaxBodyBytes)
        return {413, "application/json", "{\"error\":\"too large\"}"};
    QByteArray body(int(request->content_length), Qt::Uninitialized);
    if (!body.isEmpty() && mg_read(connection, body.data(), size_t(body.size())) != body.size())
        return {400, "application/json", "{\"error\":\"body\"}"};
    const QString sender = QString::fromLatin1(request->remote_addr);
    if (path == "/pair")
        return pair(body, sender, browserName(QString::fromUtf8(header(connection, "User-Agent"))));
    if (path == "/pair/wait")
        return awaitApproval(body, sender);
    return {};
}

std::optional<QString> PhoneServer::phoneOf(const mg_connection *connection)
{
    const QString token = tokenOf(connection);
    if (token.isEmpty())
        return std::nullopt;
    return callOnGui<std::optional<QString>>(this, [this, token] { return phones.check(token); }, kGuiWait)
            .value_or(std::nullopt);
}

PhoneServer::HttpAnswer PhoneServer::pair(const QByteArray &body, const QString &address, const QString &browser)
{
    const QString candidate = bodyObject(body).value(QStringLiteral("code")).toString();
    const std::optional<HttpAnswer> reply = callOnGui<HttpAnswer>(this, [=, this] {
        for (auto it = approvals.begin(); it != approvals.end();)
            it = it.value()->expiry.hasExpired() ? (emit approvalVoid(it.key()), approvals.erase(it)) : std::next(it);
        // A handful of questions at once is all a user can answer.
        if (approvals.size() >= 3)
            return HttpAnswer {429, "application/json", "{\"error\":\"busy\"}"};
        if (!code.tryCode(candidate)) {
            qInfo().noquote() << QStringLiteral("A wrong pairing code came from %1.").arg(address);
            return HttpAnswer {403, "application/json", "{\"error\":\"wrong code\"}"};
        }
        const QString id = QString::number(QRandomGenerator::system()->generate64(), 16);
        auto approval = std::make_shared<Approval>();
        approval->address = address;
        approval->browser = browser;
        approvals.insert(id, approval);
        emit approvalWanted(id, address, browser);
        return HttpAnswer {202, "application/json", json({{QStringLiteral("wait"), id}})};
    }, kGuiWait);
    return reply.value_or(HttpAnswer {503, "application/json", "{\"error\":\"busy\"}"});
}

PhoneServer::HttpAnswer PhoneServer::awaitApproval(const QByteArray &body, const QString &address)
{
    const QString id = bodyObject(body).value(QStringLiteral("wait")).toString();
    const std::optional<HttpAnswer> reply = callOnGui<HttpAnswer>(this, [=, this] {
        const std::shared_ptr<Approval> approval = approvals.value(id);
        // Only the phone that asked may collect its answer.
        if (!approval || approval->address != address)
            return HttpAnswer {403, "application/json", "{\"error\":\"denied\"}"};
        if (approval->state == Approval::State::Waiting && !approval->expiry.hasExpired())
            return HttpAnswer {202, "application/json", "{\"waiting\":true}"};
        approvals.remove(id);
        if (approval->state != Approval::State::Allowed) {
            emit approvalVoid(id);
            return HttpAnswer {403, "application/json", "{\"error\":\"denied\"}"};
        }
        const QByteArray cookie = QByteArray("Set-Cookie: ") + kCookie + '=' + approval->token.toLatin1()
                + "; Path=/; HttpOnly; SameSite=Strict; Max-Age="
                + QByteArray::number(PairedPhones::kLapseDays * 24 * 3600) + "\r\n";
        return HttpAnswer {200, "application/json", "{\"paired\":true}", cookie};
    }, kGuiWait);
    return reply.value_or(HttpAnswer {503, "application/json", "{\"error\":\"busy\"}"});
}

int PhoneServer::onWebSocketConnect(const mg_connection *connection, void *data)
{
    auto *server = static_cast<PhoneServer *>(data);
    if (!server->requestAllowed(connection, true) || server->phoneCount() >= kMaxPhones)
        return 1;
    const std::optional<QString> phone = server->phoneOf(connection);
    if (!phone)
        return 1;
    auto client = std::make_shared<Client>();
    client->phone = *phone;
    client->host = QHostAddress(QString::fromLatin1(mg_get_request_info(connection)->remote_addr));
    {
        std::lock_guard lock(server->clientsMutex);
        // A client's number stands for a port at the surfaces' seam.
        client->id = server->nextClient;
        server->nextClient = server->nextClient % 65535 + 1;
        server->clients[client->id] = client;
    }
    mg_set_user_connection_data(connection, new int(client->id));
    return 0;
}

void PhoneServer::onWebSocketReady(mg_connection *connection, void *data)
{
    auto *server = static_cast<PhoneServer *>(data);
    const int id = *static_cast<int *>(mg_get_user_connection_data(connection));
    if (const std::shared_ptr<Client> client = server->client(id)) {
        std::lock_guard lock(client->writeMutex);
        client->connection = connection;
    }
    QMetaObject::invokeMethod(server, [server, id] {
        // It may have closed, or the server stopped, before the window got here.
        if (const std::shared_ptr<Client> client = server->client(id))
            emit server->joined(id, client->host);
    }, Qt::QueuedConnection);
}

int PhoneServer::onWebSocketData(mg_connection *connection, int bits, char *data, size_t length, void *serverData)
{
    auto *server = static_cast<PhoneServer *>(serverData);
    const int opcode = bits & 0xf;
    if (opcode == MG_WEBSOCKET_OPCODE_CONNECTION_CLOSE)
        return 0;
    const int *id = static_cast<int *>(mg_get_user_connection_data(connection));
    const std::shared_ptr<Client> client = id ? server->client(*id) : nullptr;
    if (!client)
        return 0;
    {
        std::lock_guard lock(client->queueMutex);
        if (client->cutOff)
            return 0;
    }
    if (opcode != MG_WEBSOCKET_OPCODE_TEXT)
        return 1;
    if (client->window.hasExpired()) {
        client->window.setRemainingTime(1000);
        client->messagesInWindow = 0;
    }
    // Beyond its rate a phone's messages are dropped, so a flood never piles up work for the window.
    if (++client->messagesInWindow > kMessagesPerSecond)
        return 1;
    const std::optional<Command> command = parseMessage(QByteArray(data, qsizetype(std::min<size_t>(length, kMaxMessageBytes + 1))));
    if (command)
        QMetaObject::invokeMethod(server, [server, id = client->id, command] {
            if (server->client(id))
                emit server->commanded(id, *command);
        }, Qt::QueuedConnection);
    return 1;
}

void PhoneServer::onWebSocketClose(const mg_connection *connection, void *data)
{
    auto *server = static_cast<PhoneServer *>(data);
    const int *id = static_cast<int *>(mg_get_user_connection_data(connection));
    if (!id)
        return;
    if (const std::shared_ptr<Client> client = server->client(*id)) {
        std::lock_guard lock(client->writeMutex);
        client->closed = true;
    }
    bool known = false;
    {
        std::lock_guard lock(server->clientsMutex);
        known = server->clients.erase(*id) > 0;
    }
    // Unknown: the server stopping said it left already.
    if (known)
        QMetaObject::invokeMethod(server, [server, client = *id] { emit server->left(client); }, Qt::QueuedConnection);
    delete id;
    mg_set_user_connection_data(connection, nullptr);
}

std::shared_ptr<PhoneServer::Client> PhoneServer::client(int id) const
{
    std::lock_guard lock(clientsMutex);
    const auto found = clients.find(id);
    return found == clients.end() ? nullptr : found->second;
}

void PhoneServer::forget(const QString &phone)
{
    std::vector<std::shared_ptr<Client>> cut;
    {
        std::lock_guard lock(clientsMutex);
        for (const auto &[id, client] : clients)
            if (client->phone == phone)
                cut.push_back(client);
    }
    for (const std::shared_ptr<Client> &client : cut) {
        std::lock_guard lock(client->queueMutex);
        client->cutOff = true;
    }
    if (!cut.empty()) {
        {
            std::lock_guard lock(pushMutex);
            pushPending = true;
        }
        pushWake.notify_all();
    }
}

void PhoneServer::push(int to, const QByteArray &message, bool levels)
{
    const std::shared_ptr<Client> target = client(to);
    if (!target)
        return;
    {
        std::lock_guard lock(target->queueMutex);
        // The newest reading replaces one not yet sent: a slow phone sees fewer, never older, levels.
        if (levels)
            target->levels = message;
        else if (target->queue.size() >= kQueuedMessages)
            target->overflowed = true;
        else
            target->queue.push_back(message);
    }
    {
        std::lock_guard lock(pushMutex);
        pushPending = true;
    }
    pushWake.notify_all();
}

void PhoneServer::pushLoop()
{
    for (;;) {
        {
            std::unique_lock lock(pushMutex);
            pushWake.wait(lock, [this] { return pushStopping || pushPending; });
            if (pushStopping)
                return;
            pushPending = false;
        }
        std::vector<std::shared_ptr<Client>> all;
        {
            std::lock_guard lock(clientsMutex);
            for (const auto &[id, client] : clients)
                all.push_back(client);
        }
        for (const std::shared_ptr<Client> &client : all) {
            for (;;) {
                QByteArray message;
                bool close = false;
                {
                    std::lock_guard lock(client->queueMutex);
                    // A phone that fell this far behind, or was forgotten, is closed; it reconnects afresh.
                    close = client->overflowed || client->cutOff;
                    if (!close && !client->queue.empty()) {
                        message = client->queue.front();
                        client->queue.pop_front();
                    } else if (!close && !client->levels.isEmpty()) {
                        message.swap(client->levels);
                    }
                    if (close) {
                        client->queue.clear();
                        client->overflowed = false;
                    }
                }
                if (message.isEmpty() && !close)
                    break;
                std::lock_guard lock(client->writeMutex);
                if (client->closed || !client->connection)
                    break;
                if (close) {
                    if (std::exchange(client->closeSent, true))
                        break;
                    mg_websocket_write(client->connection, MG_WEBSOCKET_OPCODE_CONNECTION_CLOSE, "\x03\xe8", 2);
                    break;
                }
                mg_websocket_write(client->connection, MG_WEBSOCKET_OPCODE_TEXT, message.constData(), size_t(message.size()));
            }
        }
    }
}

} // namespace phone
