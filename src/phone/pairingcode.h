#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

// The one-time code a phone sends to be paired: six digits, shown on the
// computer (and in the QR code), good for two minutes, and replaced after
// five wrong tries, so that guessing it is hopeless.
namespace phone {

class PairingCode : public QObject
{
    Q_OBJECT

public:
    static constexpr int kLifetimeMs = 2 * 60 * 1000;
    static constexpr int kTries = 5;

    explicit PairingCode(QObject *parent = nullptr);

    const QString &current() const { return code; }
    // True for the current code, which is then used up and replaced.
    bool tryCode(const QString &candidate);
    void renew();

signals:
    void changed(const QString &code);

private:
    QString code;
    int wrongTries = 0;
    QTimer lifetime;
};

} // namespace phone
