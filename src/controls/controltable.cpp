#include "controltable.h"

#include "safetygate.h"

#include <button.h>
#include <ceilingsfile.h>
#include <conversions.h>
#include <knob.h>
#include <meterblock.h>

#include <QLabel>
#include <QWidget>

#include <algorithm>

namespace controls {

QString Control::name() const
{
    return key.section(QLatin1Char('/'), -1);
}

QString Control::label() const
{
    const QString named = widget() ? widget()->accessibleName() : QString();
    return named.isEmpty() ? name() : named;
}

QString Control::section() const
{
    return widget() ? widget()->property(kSectionProperty).toString() : QString();
}

int Control::minimum() const
{
    return knob ? knob->minimum : 0;
}

int Control::maximum() const
{
    return knob ? knob->maximum : 1;
}

std::optional<int> Control::ceiling() const
{
    return knob ? knob->ceiling : std::nullopt;
}

int Control::value() const
{
    return knob ? knob->value : int(button->active);
}

QString Control::valueText() const
{
    if (knob)
        return QString::number(knob->value);
    return button->active ? QStringLiteral("true") : QStringLiteral("false");
}

qlonglong Control::shownValue() const
{
    return knob ? knob->shownNumber(knob->value) : value();
}

QWidget *Control::widget() const
{
    return knob ? static_cast<QWidget *>(knob) : button;
}

void Control::apply(int target) const
{
    if (knob)
        knob->setValue(target);
    else
        button->setActive(target != 0);
}

double Readout::decibelsIn(const MeterBlock &meters) const
{
    const double decibels = levelToDb(level(meters));
    return decibels > kSilentDecibels ? decibels : kSilentDecibels;
}

void Targets::set(const Control &control, int value)
{
    values.insert(control.widget(), value);
}

ControlTable::ControlTable(const QString &model, QSettings *settings, KorvistIoControl *device, MixerBlock *mixer,
                           QWidget *panel)
    : QObject(panel)
    , modelName(model)
    , settingsFile(settings)
    , ioControl(device)
    , mixerBlock(mixer)
{
}

void ControlTable::add(Knob *knob, const QString &key, Kind kind, int defaultValue)
{
    knob->setProperty(kSavedKey, key);
    entries.push_back({key, kind, knob, nullptr, defaultValue, QString()});
    safetygate::guardKeys(entries.back());
    if (entries.back().takesCeiling())
        knob->ceiling = savedstate::readCeiling(modelName, entries.back().name());
    // The entries are all added before any of them can change.
    connect(knob, &Knob::valueChangedSig, this, [this, index = entries.size() - 1] { emit changed(entries[index]); });
}

void ControlTable::add(Button *button, const QString &key, Kind kind, const char *input)
{
    button->setProperty(kSavedKey, key);
    entries.push_back({key, kind, nullptr, button, 0, QString::fromLatin1(input)});
    connect(button, &Button::pressed, this, [this, index = entries.size() - 1] { emit changed(entries[index]); });
}

void ControlTable::addReadout(const QList<QLabel *> &labels, const QString &name,
                              std::function<std::int32_t(const MeterBlock &)> level)
{
    readoutList.push_back({name, labels, std::move(level)});
}

void ControlTable::askMeterRate(int rate)
{
    readingsPerSecond = std::clamp(rate, kPanelMeterRate, kFastestMeterRate);
}

const Control *ControlTable::find(const QString &name) const
{
    for (const Control &control : entries)
        if (control.name() == name)
            return &control;
    return nullptr;
}

QStringList ControlTable::names() const
{
    QStringList list;
    for (const Control &control : entries)
        list << control.name();
    return list;
}

ControlTable *shownTable(QObject *root)
{
    return root ? root->findChild<ControlTable *>() : nullptr;
}

} // namespace controls
