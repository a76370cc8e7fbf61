#include "remoteserver.h"

#include "protocol.h"
#include "remotecontrol.h"

#include <localchannel.h>
#include <win32errors.h>

#include <QDateTime>
#include <QDebug>
#include <QLocalSocket>
#include <QTimer>
#include <QWidget>

namespace remote {

namespace {

// A request runs only while its client waits for the answer; otherwise why not.
// A client that wrote its line and closed has given up: nobody would learn that it ran.
const char *whyNotWaiting(QLocalSocket *socket, const Request &request)
{
    if (QDateTime::currentMSecsSinceEpoch() > request.deadline - kStartMarginMs)
        return "its client has stopped waiting";
    if (!platform::localChannelClientWaiting(socket->socketDescriptor()))
        return "its client has gone";
    return nullptr;
}

} // namespace

QString channelName()
{
    return QString::fromStdString(platform::localChannelName("KorvistRemoteControl"));
}

RemoteServer::RemoteServer(QWidget *rootWidget, QObject *parent)
    : QObject(parent)
    , root(rootWidget)
{
    server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server, &QLocalServer::newConnection, this, &RemoteServer::accept);
}

bool RemoteServer::listen()
{
    const QString name = channelName();
    std::uint32_t error = 0;
    if (!name.isEmpty() && !claim.take(name.toStdString(), error)) {
        qWarning().nospace() << "Remote control not served: " << name << " could not be made ours (error " << error
                             << (error == platform::kErrorAccessDenied ? ", another process created it first)" : ")");
        return false;
    }
    if (!name.isEmpty()) {
        QLocalServer::removeServer(name);
        if (server.listen(name)) {
            qDebug() << "Remote control listening on" << server.fullServerName();
            return true;
        }
    }
    qWarning() << "Remote control unavailable:" << server.errorString();
    return false;
}

void RemoteServer::accept()
{
    while (QLocalSocket *socket = server.nextPendingConnection()) {
        // A script writes its line as it connects, so the longest waiting is
        // the likeliest to be stuck; it is told why, and a retry is safe.
        if (waiting.size() >= kMaxWaiting) {
            QLocalSocket *longest = waiting.takeFirst();
            disconnect(longest, &QLocalSocket::readyRead, nullptr, nullptr);
            finish(longest, {NotRunning, QStringLiteral("Korvist Mixer has too many connections waiting for a request "
                                                        "(%1): this one was closed and nothing was changed; try again")
                                             .arg(kMaxWaiting)});
        }
        waiting.append(socket);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this, socket] { waiting.removeOne(socket); });
        serve(socket);
    }
}

void RemoteServer::serve(QLocalSocket *socket)
{
    // Qt reads no more than this from the system at a time, so a flood costs
    // one bounded read before the connection is refused.
    socket->setReadBufferSize(kMaxLineBytes + 1);
    QTimer::singleShot(kRequestMs, socket, [this, socket] {
        if (!waiting.contains(socket))
            return;
        socket->abort();
        socket->deleteLater();
    });
    connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
        if (socket->canReadLine())
            answer(socket, socket->readLine(kMaxLineBytes + 1));
        else if (socket->bytesAvailable() >= kMaxLineBytes)
            answer(socket, {});
    });
}

void RemoteServer::answer(QLocalSocket *socket, const QByteArray &line)
{
    // One request per connection: whatever follows is not read.
    disconnect(socket, &QLocalSocket::readyRead, nullptr, nullptr);
    waiting.removeOne(socket);
    Answer result {Refused, QStringLiteral("a request is one line of at most %1 bytes").arg(kMaxLineBytes)};
    QString text = QString::fromUtf8(line);
    if (line.endsWith('\n') && text.toUtf8() == line) {
        text.chop(1);
        if (text.endsWith(QLatin1Char('\r')))
            text.chop(1);
        QString error;
        const std::optional<Request> request = parseRequest(text, error);
        if (!request) {
            result = {Refused, error};
        } else if (const char *gone = whyNotWaiting(socket, *request)) {
            qWarning().nospace() << "Remote request dropped, " << gone << ": " << text;
            socket->abort();
            return;
        } else {
            socket->write(kStarted);
            socket->flush();
            result = isServiceVerb(request->verb) && serviceCommand ? serviceCommand(*request) : execute(root, *request);
        }
    }
    finish(socket, result);
}

void RemoteServer::finish(QLocalSocket *socket, const Answer &answer)
{
    socket->write(encodeAnswer(answer));
    socket->disconnectFromServer();
}

} // namespace remote
