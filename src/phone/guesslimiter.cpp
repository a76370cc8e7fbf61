#include "guesslimiter.h"

#include "phonelimits.h"

#include <QtDebug>

#include <algorithm>

namespace phone {

namespace {

std::chrono::seconds remaining(const QDeadlineTimer &until)
{
    return std::chrono::ceil<std::chrono::seconds>(until.remainingTimeAsDuration());
}

} // namespace

std::optional<std::chrono::seconds> GuessLimiter::waitFor(const QHostAddress &address)
{
    if (!networkUntil.hasExpired())
        return remaining(networkUntil);
    const auto record = records.constFind(keyOf(address));
    if (record != records.cend() && !record->until.hasExpired())
        return remaining(record->until);
    return std::nullopt;
}

void GuessLimiter::wrong(const QHostAddress &address)
{
    dropForgotten();
    const QString key = keyOf(address);
    Record &record = records[key];
    record.forgotten.setRemainingTime(limits::kLongestWait);
    if (++record.wrong >= limits::kWrongCodesPerAddress) {
        const auto wait = std::min<std::chrono::minutes>(limits::kFirstWait * (1 << std::min(record.waits, 6)),
                                                         limits::kLongestWait);
        record.until.setRemainingTime(wait);
        record.forgotten.setRemainingTime(wait + limits::kLongestWait);
        record.wrong = 0;
        ++record.waits;
        qInfo().noquote() << QStringLiteral("%1 wrong pairing codes came from %2: it may try again in %3 min.")
                                 .arg(limits::kWrongCodesPerAddress)
                                 .arg(key)
                                 .arg(wait.count());
    }
    if (minute.hasExpired()) {
        minute.setRemainingTime(std::chrono::minutes(1));
        wrongThisMinute = 0;
    }
    if (++wrongThisMinute >= limits::kWrongCodesPerMinute) {
        networkUntil = minute;
        qInfo().noquote() << QStringLiteral("%1 wrong pairing codes came from the network within a minute: "
                                            "no code is taken until the minute is over.")
                                 .arg(wrongThisMinute);
    }
}

void GuessLimiter::right(const QHostAddress &address)
{
    records.remove(keyOf(address));
}

QString GuessLimiter::keyOf(const QHostAddress &address)
{
    bool mapped = false;
    const QHostAddress plain(address.toIPv4Address(&mapped));
    if (mapped)
        return plain.toString();
    if (address.protocol() != QAbstractSocket::IPv6Protocol)
        return address.toString();
    Q_IPV6ADDR bytes = address.toIPv6Address();
    std::fill(std::begin(bytes.c) + 8, std::end(bytes.c), 0);
    return QHostAddress(bytes).toString() + QStringLiteral("/64");
}

// Wrong codes are few a minute from all addresses together, so the table
// stays small; an address quiet for an hour starts afresh.
void GuessLimiter::dropForgotten()
{
    for (auto it = records.begin(); it != records.end();)
        it = it->forgotten.hasExpired() ? records.erase(it) : std::next(it);
}

} // namespace phone
