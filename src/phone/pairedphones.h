#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class QSettings;

// The phones the user allowed, kept in phones.ini beside the other settings
// files, private to the user. A phone proves itself with a long random token
// it holds as a cookie; the file keeps only the token's SHA-256, so reading
// it does not let anyone in. A phone unused for 30 days lapses.
namespace phone {

struct PairedPhone
{
    QString id;      // the file's own name for it
    QString name;    // its browser, as the phone told it
    QString address; // where it was paired from
    QDateTime lastUsed;
    QDateTime pairedOn; // invalid for a phone paired before this was kept
};

class PairedPhones : public QObject
{
    Q_OBJECT

public:
    static constexpr int kLapseDays = 30;

    explicit PairedPhones(QObject *parent = nullptr);

    // A new phone; its token, to be given to it once and then forgotten here.
    // Empty when the file could not be written.
    QString pair(const QString &name, const QString &address);
    // The phone that holds this token, marked as used now; nothing for an
    // unknown or lapsed token.
    std::optional<QString> check(const QString &token);
    QList<PairedPhone> phones();
    // Cuts the phone off for this run whatever happens; false when the file
    // could not be written, so the phone would be paired again at the next start.
    bool forget(const QString &id);

signals:
    void changed();
    void forgotten(const QString &id);

private:
    void dropLapsed();

    QSettings *file;
};

} // namespace phone
