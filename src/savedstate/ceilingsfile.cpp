#include "ceilingsfile.h"

#include "settingsfile.h"
#include "storedvalue.h"

#include <QDebug>
#include <QSettings>

#include <memory>

namespace savedstate {

namespace {

const QString kFileName = QStringLiteral("limits.ini");

QString keyOf(const QString &model, const QString &control)
{
    return model + QLatin1Char('/') + control;
}

} // namespace

std::optional<int> readCeiling(const QString &model, const QString &control)
{
    const std::unique_ptr<QSettings> file(openSettingsFile(kFileName, nullptr));
    const QString key = keyOf(model, control);
    if (!file || !file->contains(key))
        return std::nullopt;
    const std::optional<int> ceiling = parseStoredNumber(file->value(key));
    if (!ceiling)
        qWarning().noquote() << QStringLiteral("Volume limit ignored, %1 has none: %2=\"%3\"")
                                    .arg(control, key, file->value(key).toString());
    return ceiling;
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
