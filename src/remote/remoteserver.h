#pragma once

#include "protocol.h"

#include <localchannel.h>

#include <QLocalServer>
#include <QPointer>

#include <functional>

class QLocalSocket;
class QWidget;

namespace remote {

// The local channel of the running instance, private to its user: each
// connection brings one request line and gets one answer line. Nothing a
// client sends or withholds can hold up the window or keep other clients out:
// reads never block, a line is cut off at its length limit, a line not whole
// within kRequestMs of connecting ends its connection however it trickles in,
// and at most kMaxWaiting connections wait for their line, the one that has
// waited longest making room for a newcomer.
class RemoteServer : public QObject
{
    Q_OBJECT

public:
    static constexpr int kMaxWaiting = 128;

    // root: the main window, below which the live panel is found.
    explicit RemoteServer(QWidget *root, QObject *parent = nullptr);

    // Listens under the user's channel name, taking over a socket a crashed
    // instance left; only the instance that holds the single-instance guard may.
    // Refuses, with a log line, a name that another process created first.
    bool listen();
    QString serverName() const { return server.fullServerName(); }

    // Carries out the requests of the program's services (isServiceVerb), which they answer themselves.
    std::function<Answer(const Request &)> serviceCommand;

private:
    void accept();
    void serve(QLocalSocket *socket);
    void answer(QLocalSocket *socket, const QByteArray &line);
    // The last thing a connection gets, once nothing more of it is read.
    void finish(QLocalSocket *socket, const Answer &answer);

    QPointer<QWidget> root;
    // Those still waiting for their line, oldest first. Before the server:
    // its sockets take themselves out as it deletes them.
    QList<QLocalSocket *> waiting;
    // Before the server too: the name stays ours until its instances are gone.
    platform::LocalChannelClaim claim;
    QLocalServer server;
};

// The name both sides use for the current user's channel; empty when there is none.
QString channelName();

} // namespace remote
