#pragma once

#include <QDeadlineTimer>
#include <QHash>
#include <QHostAddress>
#include <QString>

#include <chrono>
#include <optional>

// Who may try a pairing code now. An address that got a handful wrong waits,
// twice as long each time up to an hour; the network as a whole gets only so
// many wrong a minute. A refused try is not checked at all, so waiting cannot
// be turned into guessing. The guesser is kept out, never the user: the code
// on the desktop stays as it is (see PairingCode).
namespace phone {

class GuessLimiter
{
public:
    // How long the address must still wait, or nothing when it may try.
    std::optional<std::chrono::seconds> waitFor(const QHostAddress &address);
    // A wrong code from the address. Says, once per burst, what it brought on.
    void wrong(const QHostAddress &address);
    void right(const QHostAddress &address);

private:
    struct Record
    {
        int wrong = 0;
        int waits = 0;
        QDeadlineTimer until;
        QDeadlineTimer forgotten;
    };
    // An IPv6 host may take any address of its /64: they count as one.
    static QString keyOf(const QHostAddress &address);
    void dropForgotten();

    QHash<QString, Record> records;
    QDeadlineTimer minute;
    int wrongThisMinute = 0;
    QDeadlineTimer networkUntil;
};

} // namespace phone
