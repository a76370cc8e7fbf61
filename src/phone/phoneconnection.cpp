#include "phoneconnection.h"

#include "phonelimits.h"
#include "phonemessages.h"
#include "websocketwire.h"

#include <QTcpSocket>

namespace phone {

namespace {

constexpr qint64 kRequestBytes = limits::kMaxHeaderBytes + limits::kMaxBodyBytes;
// A few messages at most; what a phone sends beyond waits in the kernel, where it slows the phone, not us.
constexpr qint64 kWebSocketBytes = 16 * 1024;

} // namespace

PhoneConnection::PhoneConnection(QTcpSocket *tcpSocket, QObject *parent)
    : QObject(parent)
    , socket(tcpSocket)
    , address(tcpSocket->peerAddress())
{
    socket->setParent(this);
    socket->setReadBufferSize(kRequestBytes);
    connect(socket, &QTcpSocket::readyRead, this, [this] { webSocket ? readFrames() : readRequest(); });
    connect(socket, &QTcpSocket::disconnected, this, &PhoneConnection::finish);
    // Not sent in time, or its last bytes not read in time: either way the connection ends.
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, this, [this] {
        if (!answered)
            return answer(jsonAnswer(408, "{\"error\":\"too slow\"}"));
        socket->abort();
        finish();
    });
    deadline.start(limits::kRequestTime);
    pulse.setInterval(limits::kPingEvery);
    connect(&pulse, &QTimer::timeout, this, &PhoneConnection::checkPulse);
}

void PhoneConnection::answer(const HttpAnswer &reply)
{
    if (answered || finished)
        return;
    answered = true;
    socket->write(formatAnswer(reply, reader.request().method != "HEAD"));
    socket->disconnectFromHost();
    deadline.start(limits::kRequestTime);
}

void PhoneConnection::upgrade(const QByteArray &key)
{
    if (answered || finished)
        return;
    answered = true;
    webSocket = true;
    deadline.stop();
    received.clear();
    socket->setReadBufferSize(kWebSocketBytes);
    socket->write("HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                  "Sec-WebSocket-Accept: " + websocket::acceptKey(key) + "\r\n\r\n");
    heard.start();
    pulse.start();
}

void PhoneConnection::send(const QByteArray &text, bool levels)
{
    if (!webSocket || finished)
        return;
    const qint64 behind = socket->bytesToWrite();
    if (behind > limits::kMaxBehindBytes)
        return cut(1013);
    if (levels && behind > limits::kLevelsBehindBytes)
        return;
    socket->write(websocket::frame(websocket::Text, text));
}

void PhoneConnection::cut(int code)
{
    if (finished)
        return;
    if (webSocket && code)
        socket->write(websocket::closeFrame(code));
    answered = true;
    markClosed();
    socket->disconnectFromHost();
    deadline.start(limits::kRequestTime);
}

void PhoneConnection::readRequest()
{
    if (answered) {
        socket->readAll();
        return;
    }
    received += socket->read(kRequestBytes + 1 - received.size());
    switch (reader.read(received)) {
    case HttpRequestReader::State::Reading:
        break;
    case HttpRequestReader::State::Refused:
        answer(jsonAnswer(reader.refusal(), "{\"error\":\"bad request\"}"));
        break;
    case HttpRequestReader::State::Done:
        emit requested(this, reader.request());
        break;
    }
}

void PhoneConnection::readFrames()
{
    received += socket->readAll();
    websocket::Frame frame;
    int closeCode = 0;
    while (!finished) {
        switch (websocket::readFrame(received, kMaxMessageBytes, frame, closeCode)) {
        case websocket::Read::NeedMore:
            return;
        case websocket::Read::Refused:
            return cut(closeCode);
        case websocket::Read::Frame:
            heard.restart();
            takeFrame(frame);
            break;
        }
    }
}

// A control frame is always whole (the reader refuses one that is not); a
// message may come in pieces, a continuation after its first.
void PhoneConnection::takeFrame(const websocket::Frame &frame)
{
    switch (frame.opcode) {
    case websocket::Close:
        return cut(1000);
    case websocket::Ping:
        socket->write(websocket::frame(websocket::Pong, frame.payload));
        return;
    case websocket::Pong:
        return;
    default:
        break;
    }
    if ((frame.opcode == websocket::Continuation) == !fragmentsOpcode)
        return cut(1002);
    if (frame.opcode != websocket::Continuation)
        fragmentsOpcode = frame.opcode;
    fragments += frame.payload;
    if (fragments.size() > kMaxMessageBytes)
        return cut(1009);
    if (!frame.final)
        return;
    const QByteArray text = std::exchange(fragments, QByteArray());
    const int whole = std::exchange(fragmentsOpcode, 0);
    if (whole != websocket::Text)
        return;
    if (!rateWindow.isValid() || rateWindow.hasExpired(1000)) {
        rateWindow.start();
        messagesInWindow = 0;
    }
    // Beyond its rate a phone's messages are dropped, so a flood never piles up work for the window.
    if (++messagesInWindow <= limits::kMessagesPerSecond)
        emit message(this, text);
}

void PhoneConnection::checkPulse()
{
    if (heard.hasExpired(std::chrono::milliseconds(limits::kSilence).count()))
        return cut(1001);
    socket->write(websocket::frame(websocket::Ping, QByteArray()));
}

// The phone is gone for the server at once; the socket may still take a
// moment to send its last bytes, which the deadline bounds.
void PhoneConnection::markClosed()
{
    if (finished)
        return;
    finished = true;
    pulse.stop();
    emit closed(this);
}

void PhoneConnection::finish()
{
    markClosed();
    deadline.stop();
    deleteLater();
}

} // namespace phone
