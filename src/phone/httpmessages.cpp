#include "httpmessages.h"

#include "phonelimits.h"

#include <QList>

namespace phone {

namespace {

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

QByteArray reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 202: return "Accepted";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 413: return "Payload Too Large";
    case 429: return "Too Many Requests";
    case 431: return "Request Header Fields Too Large";
    case 501: return "Not Implemented";
    case 503: return "Service Unavailable";
    default: return "Unknown";
    }
}

bool isToken(const QByteArray &text)
{
    if (text.isEmpty())
        return false;
    for (const char c : text)
        if (c <= ' ' || c >= 127 || QByteArray("()<>@,;:\\\"/[]?={}").contains(c))
            return false;
    return true;
}

} // namespace

HttpRequestReader::State HttpRequestReader::read(const QByteArray &received)
{
    if (refusedWith)
        return State::Refused;
    if (bodyAt < 0) {
        const qsizetype end = received.indexOf("\r\n\r\n");
        if (end < 0)
            return received.size() > limits::kMaxHeaderBytes ? refuse(431) : State::Reading;
        if (end + 4 > limits::kMaxHeaderBytes)
            return refuse(431);
        if (const State state = readHead(received.left(end)); state != State::Reading)
            return state;
        bodyAt = end + 4;
    }
    if (received.size() < bodyAt + bodySize)
        return State::Reading;
    // Bytes after the declared body (a second, pipelined request) are not read: the answer closes the connection.
    parsed.body = received.mid(bodyAt, bodySize);
    return State::Done;
}

HttpRequestReader::State HttpRequestReader::refuse(int status)
{
    refusedWith = status;
    return State::Refused;
}

HttpRequestReader::State HttpRequestReader::readHead(const QByteArray &head)
{
    QList<QByteArray> lines;
    for (qsizetype from = 0;;) {
        const qsizetype end = head.indexOf("\r\n", from);
        lines.append(head.mid(from, end < 0 ? -1 : end - from));
        if (end < 0)
            break;
        from = end + 2;
    }
    const QList<QByteArray> first = lines.front().split(' ');
    if (first.size() != 3 || lines.front().contains('\n') || lines.front().contains('\r') || !isToken(first[0]) || !first[1].startsWith('/') || !first[2].startsWith("HTTP/1."))
        return refuse(400);
    parsed.method = first[0];
    parsed.path = first[1].split('?').front();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines[i];
        const qsizetype colon = line.indexOf(':');
        const QByteArray name = line.left(colon).toLower();
        // A bare line feed or carriage return inside a line is how one request hides another.
        if (colon <= 0 || !isToken(name) || line.contains('\n') || line.contains('\r'))
            return refuse(400);
        // A header sent twice could mean one thing to us and another to a proxy.
        if (parsed.headers.contains(name))
            return refuse(400);
        parsed.headers.insert(name, line.mid(colon + 1).trimmed());
    }
    if (parsed.headers.contains("transfer-encoding"))
        return refuse(501);
    if (const QByteArray length = parsed.header("content-length"); !length.isEmpty()) {
        bool number = false;
        bodySize = length.toLongLong(&number);
        if (!number || bodySize < 0 || length.front() == '+')
            return refuse(400);
        // Refused as soon as it is declared: nothing waits for, or keeps, a body that cannot be taken.
        if (bodySize > limits::kMaxBodyBytes)
            return refuse(413);
    }
    return State::Reading;
}

QByteArray formatAnswer(const HttpAnswer &answer, bool withBody)
{
    QByteArray bytes = "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' + reason(answer.status) + "\r\n"
            + "Content-Type: " + answer.type + "\r\nContent-Length: " + QByteArray::number(answer.body.size())
            + "\r\n" + kSecurityHeaders + answer.headers + "\r\n";
    if (withBody)
        bytes += answer.body;
    return bytes;
}

} // namespace phone
