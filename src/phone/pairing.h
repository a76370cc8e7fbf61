#pragma once

#include "guesslimiter.h"
#include "httpmessages.h"
#include "pairedphones.h"
#include "pairingcode.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QObject>
#include <QTimer>

// Pairing a phone: its code is checked (within GuessLimiter's bounds), then
// the user is asked on the desktop, and the phone collects the answer by
// asking again until there is one. A question whose phone stopped asking is
// taken off the desktop; one answered is no longer counted among the open.
namespace phone {

class Pairing : public QObject
{
    Q_OBJECT

public:
    explicit Pairing(PairedPhones &phones, QObject *parent = nullptr);

    PairingCode &code() { return pairingCode; }
    const PairingCode &code() const { return pairingCode; }
    // POST /pair: {"code": "123456"} from a phone at address with that browser.
    HttpAnswer ask(const QByteArray &body, const QHostAddress &address, const QString &browser);
    // POST /pair/wait: {"wait": id}; the cookie comes with the answer Allow.
    HttpAnswer collect(const QByteArray &body, const QHostAddress &address);
    // The desktop's answer to approvalWanted.
    void approve(const QString &request, bool allowed);
    // The cookie that keeps a phone paired, to be sent again with each use so
    // it lapses only when unused; with no lifetime, the one that removes it.
    static QByteArray cookieHeader(const QString &token, int lifetimeSeconds = PairedPhones::kLapseDays * 24 * 3600);
    static QString tokenOf(const QByteArray &cookies);

signals:
    // A phone sent the right pairing code: the user is to allow it or not.
    void approvalWanted(const QString &request, const QString &address, const QString &browser);
    // The phone asking gave up or took too long: its question is void.
    void approvalVoid(const QString &request);

private:
    struct Question
    {
        enum class State { Waiting, Allowed, Denied };
        State state = State::Waiting;
        QHostAddress address;
        QString browser;
        QString token;
        QDeadlineTimer expiry;
        QDeadlineTimer unwatched;
    };
    void dropUnwatched();
    int openQuestions() const;

    PairedPhones &phones;
    PairingCode pairingCode;
    GuessLimiter guesses;
    QHash<QString, Question> questions;
    QTimer sweep;
};

} // namespace phone
