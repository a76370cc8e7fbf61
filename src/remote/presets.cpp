#include "presets.h"

#include "livepanel.h"

#include <button.h>
#include <knob.h>
#include <storedvalue.h>

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace remote::presets {

namespace {

constexpr int kMaxNameLength = 64;
const QString kModelKey = QStringLiteral("Preset/Model");
const QString kSuffix = QStringLiteral(".ini");

// Empty when the panel has no ini file to stand beside.
QString directoryOf(const LivePanel &panel)
{
    const QSettings *settings = panel.settings();
    if (!settings)
        return {};
    return QFileInfo(settings->fileName()).path() + QStringLiteral("/presets/") + panel.model();
}

std::optional<Answer> refusal(const LivePanel &panel, const QString &name)
{
    if (const std::optional<QString> refused = nameRefusal(name))
        return Answer {Refused, *refused};
    if (directoryOf(panel).isEmpty())
        return Answer {Refused, QStringLiteral("the %1 panel has no saved-state file, so it has no presets").arg(panel.model())};
    return std::nullopt;
}

QString pathOf(const LivePanel &panel, const QString &name)
{
    return directoryOf(panel) + QLatin1Char('/') + name + kSuffix;
}

Answer missing(const LivePanel &panel, const QString &name)
{
    const QStringList names = list(panel);
    return {Refused, QStringLiteral("no preset \"%1\" for the %2; presets: %3")
                         .arg(name, panel.model(), names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", ")))};
}

} // namespace

bool validName(const QString &name)
{
    if (name.isEmpty() || name.size() > kMaxNameLength || name.front() == QLatin1Char(' ') || name.back() == QLatin1Char(' '))
        return false;
    for (const QChar c : name) {
        const bool asciiDigit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (!c.isLetter() && !asciiDigit && c != QLatin1Char(' ') && c != QLatin1Char('-') && c != QLatin1Char('_'))
            return false;
    }
    return true;
}

std::optional<QString> nameRefusal(const QString &name)
{
    if (validName(name))
        return std::nullopt;
    return QStringLiteral("\"%1\" is not a preset name: use letters, digits, space, - and _, 1 to %2 characters, "
                          "no space at either end")
        .arg(name, QString::number(kMaxNameLength));
}

QStringList list(const LivePanel &panel)
{
    const QString directory = directoryOf(panel);
    QStringList names;
    if (directory.isEmpty())
        return names;
    for (const QFileInfo &file : QDir(directory).entryInfoList({QLatin1Char('*') + kSuffix}, QDir::Files, QDir::Name)) {
        if (validName(file.completeBaseName()))
            names << file.completeBaseName();
    }
    return names;
}

Answer save(const LivePanel &panel, const QString &name)
{
    if (const auto refused = refusal(panel, name))
        return *refused;
    if (!QDir().mkpath(directoryOf(panel)))
        return {Refused, QStringLiteral("cannot make the folder %1").arg(directoryOf(panel))};
    const QString path = pathOf(panel, name);
    QSettings preset(path, QSettings::IniFormat);
    preset.clear();
    preset.setValue(kModelKey, panel.model());
    for (const Control &control : panel.controls()) {
        if (control.knob)
            preset.setValue(control.key, control.knob->value);
        else
            preset.setValue(control.key, control.button->active);
    }
    preset.sync();
    if (preset.status() != QSettings::NoError)
        return {Refused, QStringLiteral("cannot write %1").arg(path)};
    return {Done, QStringLiteral("saved preset \"%1\"").arg(name)};
}

Answer load(const LivePanel &panel, const QString &name)
{
    if (const auto refused = refusal(panel, name))
        return *refused;
    const QString path = pathOf(panel, name);
    if (!QFileInfo(path).isFile())
        return missing(panel, name);
    const QSettings preset(path, QSettings::IniFormat);
    const QString model = preset.value(kModelKey).toString();
    if (preset.status() != QSettings::NoError || model != panel.model())
        return {Refused, QStringLiteral("preset \"%1\" is for the %2, not for the connected %3")
                             .arg(name, model.isEmpty() ? QStringLiteral("an unknown model") : model, panel.model())};
    for (const QString &key : preset.allKeys()) {
        if (key != kModelKey && !panel.find(key.section(QLatin1Char('/'), -1)))
            return {Refused, QStringLiteral("preset \"%1\" has %2, which the %3 does not have").arg(name, key, panel.model())};
    }

    QSettings *settings = panel.settings();
    QStringList notes {QStringLiteral("loaded preset \"%1\"").arg(name)};
    for (const Control &control : panel.controls()) {
        if (!preset.contains(control.key))
            continue;
        const QVariant stored = preset.value(control.key);
        if (!control.isPhantomPower()) {
            settings->setValue(control.key, stored);
            continue;
        }
        // Phantom power can harm what is plugged in: only a hand switches it on.
        const bool wanted = savedstate::parseStoredSwitch(stored).value_or(false);
        settings->setValue(control.key, wanted && control.button->active);
        if (wanted && !control.button->active)
            notes << QStringLiteral("48V left off on %1: switch it on by hand").arg(control.channel());
    }
    settings->sync();
    if (!panel.restoreState())
        return {Refused, QStringLiteral("the %1 panel cannot replay its saved state").arg(panel.model())};
    return {Done, notes.join(QLatin1Char('\n'))};
}

Answer remove(const LivePanel &panel, const QString &name)
{
    if (const auto refused = refusal(panel, name))
        return *refused;
    if (!QFileInfo(pathOf(panel, name)).isFile())
        return missing(panel, name);
    if (!QFile::remove(pathOf(panel, name)))
        return {Refused, QStringLiteral("cannot delete %1").arg(pathOf(panel, name))};
    return {Done, QStringLiteral("deleted preset \"%1\"").arg(name)};
}

} // namespace remote::presets
