#include "websocketwire.h"

#include <QCryptographicHash>

namespace phone::websocket {

Read readFrame(QByteArray &buffer, qsizetype maxPayload, Frame &frame, int &closeCode)
{
    if (buffer.size() < 2)
        return Read::NeedMore;
    const auto byte = [&](qsizetype at) { return quint8(buffer.at(at)); };
    const int opcode = byte(0) & 0x0f;
    const bool final = byte(0) & 0x80;
    const bool control = opcode & 0x08;
    const bool known = opcode <= Binary || (opcode >= Close && opcode <= Pong);
    if ((byte(0) & 0x70) || !(byte(1) & 0x80) || !known || (control && (!final || (byte(1) & 0x7f) > 125))) {
        closeCode = 1002;
        return Read::Refused;
    }
    quint64 length = byte(1) & 0x7f;
    qsizetype at = 2;
    const int lengthBytes = length == 126 ? 2 : length == 127 ? 8 : 0;
    if (buffer.size() < at + lengthBytes)
        return Read::NeedMore;
    if (lengthBytes) {
        length = 0;
        for (int i = 0; i < lengthBytes; ++i)
            length = length << 8 | byte(at++);
    }
    if (length > quint64(maxPayload)) {
        closeCode = 1009;
        return Read::Refused;
    }
    if (buffer.size() < at + 4 + qsizetype(length))
        return Read::NeedMore;
    const QByteArray mask = buffer.mid(at, 4);
    frame.opcode = opcode;
    frame.final = final;
    frame.payload = buffer.mid(at + 4, qsizetype(length));
    for (qsizetype i = 0; i < frame.payload.size(); ++i)
        frame.payload[i] = char(frame.payload.at(i) ^ mask.at(i % 4));
    buffer.remove(0, at + 4 + qsizetype(length));
    return Read::Frame;
}

QByteArray frame(int opcode, const QByteArray &payload)
{
    QByteArray bytes;
    bytes.append(char(0x80 | opcode));
    const qsizetype size = payload.size();
    if (size < 126) {
        bytes.append(char(size));
    } else if (size <= 0xffff) {
        bytes.append(char(126));
        bytes.append(char(size >> 8)).append(char(size & 0xff));
    } else {
        bytes.append(char(127));
        for (int shift = 56; shift >= 0; shift -= 8)
            bytes.append(char((quint64(size) >> shift) & 0xff));
    }
    return bytes + payload;
}

QByteArray closeFrame(int code)
{
    return frame(Close, QByteArray {char(code >> 8), char(code & 0xff)});
}

QByteArray acceptKey(const QByteArray &key)
{
    return QCryptographicHash::hash(key + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11", QCryptographicHash::Sha1).toBase64();
}

} // namespace phone::websocket
