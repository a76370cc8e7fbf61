#pragma once

#include "httpmessages.h"
#include "requestcheck.h"

#include <QHostAddress>
#include <QMap>

#include <optional>

// The phone remote's addresses: the page's three files, /session (is this
// browser a paired phone?), /pair and /pair/wait. Every request first shows
// it comes from the allowed network, names this computer as its Host and,
// for anything but a plain read, this page as its Origin.
namespace phone {

class PairedPhones;
class Pairing;

class PhoneRoutes
{
public:
    PhoneRoutes(PairedPhones &phones, Pairing &pairing);

    void setListening(const Listening &listening) { where = listening; }
    const Listening &listening() const { return where; }
    bool allowed(const HttpRequest &request, const QHostAddress &sender, bool needsOrigin) const;
    // The paired phone this request's cookie names, marked as used now.
    std::optional<QString> phoneOf(const HttpRequest &request);
    HttpAnswer answer(const HttpRequest &request, const QHostAddress &sender);

private:
    PairedPhones &phones;
    Pairing &pairing;
    Listening where;
    QMap<QByteArray, QByteArray> files;
};

} // namespace phone
