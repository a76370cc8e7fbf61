#include "droplog.h"

#include "oscwire.h"

#include <QDebug>

namespace surface {

DropLog::DropLog(QObject *parent)
    : QObject(parent)
{
    second.setSingleShot(true);
    second.setInterval(1000);
    connect(&second, &QTimer::timeout, this, &DropLog::flush);
}

void DropLog::count(Reason reason, int times)
{
    if (times <= 0)
        return;
    counts[reason] += times;
    // The first drop of a quiet spell is told a second later, with all that came meanwhile.
    if (!second.isActive())
        second.start();
}

void DropLog::refused(const QString &why)
{
    lastRefusal = why;
    count(Refused);
}

void DropLog::unknown(const QString &address)
{
    lastUnknown = address;
    count(Unknown);
}

void DropLog::flush()
{
    QString line = QStringLiteral("OSC: in the last second %1 malformed, %2 oversized, %3 unknown and %4 not allowed "
                                  "messages dropped")
                       .arg(counts[Malformed])
                       .arg(counts[Oversized])
                       .arg(counts[Unknown])
                       .arg(counts[NotAllowed]);
    if (counts[Unknown] > 0)
        line += QStringLiteral(" (the last unknown: %1)").arg(lastUnknown);
    // Rare, and so only told when they happened.
    if (counts[Surplus] > 0)
        line += QStringLiteral("; %1 messages past the first %2 of a datagram dropped")
                    .arg(counts[Surplus])
                    .arg(kMaxMessagesPerDatagram);
    if (counts[OverBudget] > 0)
        line += QStringLiteral("; %1 replies over a host's budget not sent").arg(counts[OverBudget]);
    if (counts[OwnOutput] > 0)
        line += QStringLiteral("; %1 of the program's own messages come back ignored").arg(counts[OwnOutput]);
    if (counts[Refused] > 0)
        line += QStringLiteral("; %1 changes refused, the last: %2").arg(counts[Refused]).arg(lastRefusal);
    qWarning().noquote() << line;
    std::fill(std::begin(counts), std::end(counts), 0);
}

} // namespace surface
