#pragma once

#include "httpmessages.h"
#include "websocketwire.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QTimer>

class QTcpSocket;

// One connection of a phone's browser, on the window's thread like every
// socket of the program: it never waits, so a phone that stops reading or
// sends a byte a minute costs a timer and a few bytes, never the window's
// time. It reads one request within its time and size, gives it to the
// server, and either sends the server's answer and closes, or stays open as
// the phone's WebSocket, pinged, rate-limited and bounded in what waits to
// be sent.
namespace phone {

class PhoneConnection : public QObject
{
    Q_OBJECT

public:
    PhoneConnection(QTcpSocket *socket, QObject *parent);

    QHostAddress peer() const { return address; }
    bool isWebSocket() const { return webSocket; }
    void answer(const HttpAnswer &answer);
    // Answers the request's upgrade: from now on the connection is a WebSocket.
    void upgrade(const QByteArray &key);
    // Sends a text message; a reading of levels waits for the next when the
    // phone is behind, and a phone too far behind is closed.
    void send(const QByteArray &message, bool levels);
    // Ends the connection now, with a close frame (code) where it is a
    // WebSocket; its last bytes get a moment to leave, never more.
    void cut(int code);

signals:
    void requested(phone::PhoneConnection *connection, const phone::HttpRequest &request);
    void message(phone::PhoneConnection *connection, const QByteArray &text);
    void closed(phone::PhoneConnection *connection);

private:
    void readRequest();
    void readFrames();
    void takeFrame(const websocket::Frame &frame);
    void checkPulse();
    void markClosed();
    void finish();

    QTcpSocket *socket;
    QHostAddress address;
    QByteArray received;
    HttpRequestReader reader;
    bool answered = false;
    bool webSocket = false;
    bool finished = false;
    QTimer deadline;
    QTimer pulse;
    QElapsedTimer heard;
    QByteArray fragments;
    int fragmentsOpcode = 0;
    QElapsedTimer rateWindow;
    int messagesInWindow = 0;
};

} // namespace phone
