#pragma once

#include <QByteArray>

// The WebSocket's framing (RFC 6455) as the phone remote speaks it: a
// browser's frames read off the front of what came in, and the server's
// frames written. A frame longer than a message may be is refused from its
// header alone, before its bytes arrive or anything is kept for them.
namespace phone::websocket {

enum Opcode { Continuation = 0x0, Text = 0x1, Binary = 0x2, Close = 0x8, Ping = 0x9, Pong = 0xA };

struct Frame
{
    int opcode = 0;
    bool final = true;
    QByteArray payload;
};

enum class Read { NeedMore, Frame, Refused };

// Takes one frame off the front of buffer. Refused carries the close code
// to answer with: 1002 for a frame a browser never sends (unmasked, reserved
// bits, a long or split control frame), 1009 for one over maxPayload.
Read readFrame(QByteArray &buffer, qsizetype maxPayload, Frame &frame, int &closeCode);

QByteArray frame(int opcode, const QByteArray &payload);
QByteArray closeFrame(int code);
// The Sec-WebSocket-Accept of a client's Sec-WebSocket-Key.
QByteArray acceptKey(const QByteArray &key);

} // namespace phone::websocket
