#include "ceilingsfile.h"

#include "settingsfile.h"
#include "storedvalue.h"

#include <QDebug>
#include <QSettings>
#include <QVariant>

#include <memory>

namespace savedstate {

namespace {

const QString kFileName = QStringLiteral("limits.ini");

QString keyOf(const QString &model, const QString &control)
{
    return model + QLatin1Char('/') + control;
}

// The entry's text, as the file holds it; none without an entry.
std::optional<QVariant> storedCeiling(const QString &model, const QString &control)
{
    const std::unique_ptr<QSettings> file(openSettingsFile(kFileName, nullptr));
    const QString key = keyOf(model, control);
    if (!file || !file->contains(key))
        return std::nullopt;
    return file->value(key);
}

} // namespace

std::optional<int> readCeiling(const QString &model, const QString &control)
{
    const std::optional<QVariant> stored = storedCeiling(model, control);
    if (!stored)
        return std::nullopt;
    if (const std::optional<int> ceiling = parseStoredNumber(*stored))
        return ceiling;
    qWarning().noquote() << QStringLiteral("Volume limit damaged, %1 held at %2 until its limit is set again: %3=\"%4\"")
                                .arg(control)
                                .arg(kDamagedCeiling)
                                .arg(keyOf(model, control), stored->toString());
    return kDamagedCeiling;
}

bool ceilingDamaged(const QString &model, const QString &control)
{
    const std::optional<QVariant> stored = storedCeiling(model, control);
    return stored && !parseStoredNumber(*stored);
}

bool writeCeiling(const QString &model, const QString &control, std::optional<int> ceiling)
{
    const std::unique_ptr<QSettings> file(openSettingsFile(kFileName, nullptr));
    if (!file)
        return false;
    if (ceiling)
        return save(file.get(), keyOf(model, control), *ceiling);
    file->remove(keyOf(model, control));
    file->sync();
    return file->status() == QSettings::NoError;
}

} // namespace savedstate
