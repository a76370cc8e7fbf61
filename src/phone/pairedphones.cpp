#include "pairedphones.h"

#include <settingsfile.h>

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QSettings>

namespace phone {

namespace {

const QString kGroup = QStringLiteral("Phones");

QString hashOf(const QString &token)
{
    return QString::fromLatin1(QCryptographicHash::hash(token.toLatin1(), QCryptographicHash::Sha256).toHex());
}

QByteArray randomBytes(int count)
{
    QByteArray bytes(count, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(QRandomGenerator::system()->bounded(256));
    return bytes;
}

} // namespace

PairedPhones::PairedPhones(QObject *parent)
    : QObject(parent)
    , file(savedstate::openSettingsFile(QStringLiteral("phones.ini"), this))
{
    dropLapsed();
}

QString PairedPhones::pair(const QString &name, const QString &address)
{
    const QString token = QString::fromLatin1(randomBytes(32).toBase64(QByteArray::Base64UrlEncoding |
                                                                        QByteArray::OmitTrailingEquals));
    const QString id = QString::fromLatin1(randomBytes(8).toHex());
    const QString group = kGroup + QLatin1Char('/') + id + QLatin1Char('/');
    if (!file)
        return QString();
    file->setValue(group + QStringLiteral("Hash"), hashOf(token));
    file->setValue(group + QStringLiteral("Name"), name);
    file->setValue(group + QStringLiteral("Address"), address);
    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    file->setValue(group + QStringLiteral("PairedOn"), now);
    if (!savedstate::save(file, group + QStringLiteral("LastUsed"), now))
        return QString();
    emit changed();
    return token;
}

std::optional<QString> PairedPhones::check(const QString &token)
{
    if (!file || token.isEmpty())
        return std::nullopt;
    dropLapsed();
    const QString hash = hashOf(token);
    for (const PairedPhone &phone : phones()) {
        const QString group = kGroup + QLatin1Char('/') + phone.id + QLatin1Char('/');
        if (file->value(group + QStringLiteral("Hash")).toString() != hash)
            continue;
        // Once a day is enough to keep it from lapsing, and spares the disk.
        if (phone.lastUsed.daysTo(QDateTime::currentDateTimeUtc()) >= 1)
            savedstate::save(file, group + QStringLiteral("LastUsed"), QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
        return phone.id;
    }
    return std::nullopt;
}

QList<PairedPhone> PairedPhones::phones()
{
    QList<PairedPhone> list;
    if (!file)
        return list;
    file->beginGroup(kGroup);
    for (const QString &id : file->childGroups()) {
        file->beginGroup(id);
        list.append({id, file->value(QStringLiteral("Name")).toString(), file->value(QStringLiteral("Address")).toString(),
                     QDateTime::fromString(file->value(QStringLiteral("LastUsed")).toString(), Qt::ISODate),
                     QDateTime::fromString(file->value(QStringLiteral("PairedOn")).toString(), Qt::ISODate)});
        file->endGroup();
    }
    file->endGroup();
    return list;
}

bool PairedPhones::forget(const QString &id)
{
    if (!file) {
        emit forgotten(id);
        return false;
    }
    file->remove(kGroup + QLatin1Char('/') + id);
    file->sync();
    emit forgotten(id);
    emit changed();
    return file->status() != QSettings::AccessError;
}

void PairedPhones::dropLapsed()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const PairedPhone &phone : phones()) {
        // A date that does not parse counts as lapsed: the file is input from outside.
        if (!phone.lastUsed.isValid() || phone.lastUsed.daysTo(now) >= kLapseDays)
            forget(phone.id);
    }
}

} // namespace phone
