#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

namespace surface {

// Counts what the program did not carry out for a control surface and says so
// in at most one log line a second, however fast a sender floods it.
class DropLog : public QObject
{
public:
    enum Reason {
        Malformed,
        Oversized,
        Unknown,
        NotAllowed,
        Refused,
        // Messages of a datagram beyond those the program takes from one.
        Surplus,
        // Replies not sent: beyond a host's budget of bytes or of full states.
        OverBudget,
        // What the program itself sends, come back: its own answers, or a datagram from its own port.
        OwnOutput,
        ReasonCount
    };

    explicit DropLog(QObject *parent = nullptr);

    void count(Reason reason, int times = 1);
    // A change the safety rules refused: counted, and the latest reason logged.
    void refused(const QString &why);
    // A message that is no command: counted, and the latest one's address logged.
    void unknown(const QString &address);

private:
    void flush();

    int counts[ReasonCount] = {};
    QString lastRefusal;
    QString lastUnknown;
    QTimer second;
};

} // namespace surface
