#pragma once

#include <QByteArray>
#include <QHash>

// The phone remote's HTTP, as little of it as a phone's browser needs: one
// request per connection, read within the bounds of phonelimits.h, and one
// answer. Whatever a sender puts in a request, reading it ends in a request,
// a refusal with its status, or a wish for more bytes; nothing it declares
// makes the reader keep more than the bounds allow.
namespace phone {

struct HttpRequest
{
    QByteArray method;
    QByteArray path; // without its query
    QHash<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;

    QByteArray header(const QByteArray &name) const { return headers.value(name); }
};

class HttpRequestReader
{
public:
    enum class State { Reading, Done, Refused };

    // Takes what came in so far (the whole of it, each time).
    State read(const QByteArray &received);
    const HttpRequest &request() const { return parsed; }
    // The status that answers a refused request.
    int refusal() const { return refusedWith; }

private:
    State refuse(int status);
    State readHead(const QByteArray &head);

    HttpRequest parsed;
    qsizetype bodyAt = -1;
    qsizetype bodySize = 0;
    int refusedWith = 0;
};

struct HttpAnswer
{
    int status = 404;
    QByteArray type = "application/json";
    QByteArray body;
    QByteArray headers; // more header lines, each ending in "\r\n"
};

inline HttpAnswer jsonAnswer(int status, const QByteArray &body, const QByteArray &headers = {})
{
    return {status, "application/json", body, headers};
}

// The answer's bytes; a HEAD request is answered without the body.
QByteArray formatAnswer(const HttpAnswer &answer, bool withBody);

} // namespace phone
