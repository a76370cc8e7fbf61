#include "phoneroutes.h"

#include "browsername.h"
#include "pairedphones.h"
#include "pairing.h"

#include <QFile>

namespace phone {

namespace {

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
    {"/favicon.png", ":/icon/icon.png", "image/png"},
};

} // namespace

PhoneRoutes::PhoneRoutes(PairedPhones &pairedPhones, Pairing &phonePairing)
    : phones(pairedPhones)
    , pairing(phonePairing)
{
}

bool PhoneRoutes::allowed(const HttpRequest &request, const QHostAddress &sender, bool needsOrigin) const
{
    const QByteArray host = request.header("host");
    const QByteArray origin = request.header("origin");
    return senderAllowed(sender, where) && hostAllowed(host, where)
            && (origin.isEmpty() ? !needsOrigin : originAllowed(origin, host));
}

std::optional<QString> PhoneRoutes::phoneOf(const HttpRequest &request)
{
    return phones.check(Pairing::tokenOf(request.header("cookie")));
}

HttpAnswer PhoneRoutes::answer(const HttpRequest &request, const QHostAddress &sender)
{
    const bool reading = request.method == "GET" || request.method == "HEAD";
    // A page of another site may send a form to us: anything that is not a plain read must name our Origin.
    if (!allowed(request, sender, !reading))
        return jsonAnswer(403, "{\"error\":\"forbidden\"}");
    if (reading) {
        for (const auto &page : kPages) {
            if (request.path != page.path)
                continue;
            if (!files.contains(page.path)) {
                QFile file(QString::fromLatin1(page.resource));
                file.open(QIODevice::ReadOnly);
                files.insert(page.path, file.readAll());
            }
            return {200, page.type, files.value(page.path), {}};
        }
        if (request.path == "/session") {
            // Each use renews the cookie, so a phone lapses only once unused for as long as it lives.
            const QString token = Pairing::tokenOf(request.header("cookie"));
            // A cookie the program no longer knows: the phone was forgotten, or lapsed unused.
            if (phones.check(token))
                return jsonAnswer(200, "{\"paired\":true}", Pairing::cookieHeader(token));
            if (token.isEmpty())
                return jsonAnswer(200, "{\"paired\":false}");
            // Told once: the dead cookie goes with the answer.
            return jsonAnswer(200, "{\"paired\":false,\"forgotten\":true}", Pairing::cookieHeader(QString(), 0));
        }
        return jsonAnswer(404, "{\"error\":\"not found\"}");
    }
    if (request.method != "POST")
        return jsonAnswer(405, "{\"error\":\"method\"}");
    if (request.path == "/pair")
        return pairing.ask(request.body, sender, browserName(QString::fromUtf8(request.header("user-agent"))));
    if (request.path == "/pair/wait")
        return pairing.collect(request.body, sender);
    return jsonAnswer(404, "{\"error\":\"not found\"}");
}

} // namespace phone
