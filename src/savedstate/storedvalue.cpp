#include "storedvalue.h"

#include <QDebug>
#include <QSettings>
#include <QString>
#include <QVariant>

#include <algorithm>
#include <limits>

namespace savedstate {

std::optional<bool> parseStoredSwitch(const QVariant &stored)
{
    if (stored.typeId() == QMetaType::Bool)
        return stored.toBool();
    if (stored.typeId() != QMetaType::QString)
        return std::nullopt;
    const QString text = stored.toString();
    if (text == QLatin1String("true") || text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("false") || text == QLatin1String("0"))
        return false;
    return std::nullopt;
}

std::optional<int> parseStoredNumber(const QVariant &stored)
{
    if (stored.typeId() == QMetaType::Int)
        return stored.toInt();
    if (stored.typeId() != QMetaType::QString)
        return std::nullopt;
    const QString text = stored.toString();
    const QStringView digits = text.startsWith(u'-') || text.startsWith(u'+') ? QStringView(text).mid(1) : text;
    // Checked by hand: Qt's own conversion would accept blanks around the number.
    if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    bool ok = false;
    const qlonglong number = text.toLongLong(&ok, 10);
    if (!ok || number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(number);
}

namespace {

template <typename T>
T storedOrDefault(QSettings *settings, const QString &key, std::optional<T> (*parse)(const QVariant &),
                  T defaultValue)
{
    const QVariant stored = settings ? settings->value(key) : QVariant();
    if (!stored.isValid())
        return defaultValue;
    if (const std::optional<T> value = parse(stored))
        return *value;
    qWarning() << "Stored value ignored, default used:" << key << stored;
    return defaultValue;
}

} // namespace

bool readStoredSwitch(QSettings *settings, const QString &key)
{
    return storedOrDefault(settings, key, parseStoredSwitch, false);
}

int readStoredNumber(QSettings *settings, const QString &key, int defaultValue)
{
    return storedOrDefault(settings, key, parseStoredNumber, defaultValue);
}

} // namespace savedstate
