#include "staterestore.h"

#include "storedvalue.h"

#include <button.h>
#include <knob.h>

#include <QDebug>
#include <QSettings>

#include <algorithm>
#include <optional>

namespace savedstate {

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

StateRestore::StateRestore(QSettings *settingsFile)
    : settings(settingsFile)
{
    // Someone else may have written the file since it was opened (a preset):
    // the replay is of what it holds now.
    if (settings)
        settings->sync();
}

bool StateRestore::read(Button *button, const QString &key)
{
    button->setProperty(kSavedKey, key);
    const bool on = storedOrDefault(settings, key, parseStoredSwitch, false);
    steps.emplace_back([button, on] { button->setActive(on); });
    return on;
}

int StateRestore::read(Knob *knob, const QString &key, int defaultValue)
{
    knob->setProperty(kSavedKey, key);
    const int value = std::clamp(storedOrDefault(settings, key, parseStoredNumber, defaultValue), knob->minimum,
                                 knob->maximum);
    steps.emplace_back([knob, value] { knob->setValue(value); });
    return value;
}

void StateRestore::run() const
{
    for (const std::function<void()> &step : steps)
        step();
}

} // namespace savedstate
