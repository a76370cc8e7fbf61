#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

// The one-time code a phone sends to be paired: six digits, shown on the
// computer (and in the QR code), good for two minutes or one pairing. Wrong
// tries leave it as it is: they are the guesser's to pay for (GuessLimiter),
// and a code that changed under the user's eyes would lock the user out.
namespace phone {

class PairingCode : public QObject
{
    Q_OBJECT

public:
    static constexpr int kLifetimeMs = 2 * 60 * 1000;

    explicit PairingCode(QObject *parent = nullptr);

    const QString &current() const { return code; }
    // True for the current code, which is then used up and replaced.
    bool use(const QString &candidate);
    void renew();

signals:
    void changed(const QString &code);

private:
    QString code;
    QTimer lifetime;
};

} // namespace phone
