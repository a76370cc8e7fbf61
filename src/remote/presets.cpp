#include "presets.h"

#include <controltable.h>
#include <korvistiocontrol.h>
#include <safetygate.h>
#include <settingsfile.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

namespace remote::presets {

using answers::Sentence;

namespace {

constexpr int kMaxNameLength = 64;
const QString kSuffix = QStringLiteral(".ini");

// Empty when the panel has no ini file to stand beside.
QString directoryOf(const controls::ControlTable &table)
{
    const QSettings *settings = table.settings();
    if (!settings)
        return {};
    return QFileInfo(settings->fileName()).path() + QStringLiteral("/presets/") + table.model();
}

std::optional<Answer> refusal(const controls::ControlTable &table, const QString &name)
{
    if (const std::optional<Sentence> refused = nameRefusal(name))
        return Answer {Refused, *refused};
    if (directoryOf(table).isEmpty())
        return Answer {Refused,
                       Sentence(QT_TRANSLATE_NOOP("Answer", "the %1 panel has no saved-state file, so it has no presets"))
                           .arg(table.model())};
    return std::nullopt;
}

QString pathOf(const controls::ControlTable &table, const QString &name)
{
    return directoryOf(table) + QLatin1Char('/') + name + kSuffix;
}

Answer missing(const controls::ControlTable &table, const QString &name)
{
    const QStringList names = list(table);
    if (names.isEmpty())
        return {Refused,
                Sentence(QT_TRANSLATE_NOOP("Answer", "no preset \"%1\" for the %2; presets: none")).arg(name).arg(table.model())};
    return {Refused, Sentence(QT_TRANSLATE_NOOP("Answer", "no preset \"%1\" for the %2; presets: %3"))
                         .arg(name)
                         .arg(table.model())
                         .arg(names.join(QStringLiteral(", ")))};
}

bool inAlphabet(const QString &name)
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

// Windows opens the device instead of a file by these names, whatever follows a dot.
bool namesADevice(const QString &name)
{
    static const QRegularExpression devices(QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return devices.match(name.section(QLatin1Char('.'), 0, 0).trimmed()).hasMatch();
}

} // namespace

bool validName(const QString &name)
{
    return !nameRefusal(name);
}

std::optional<Sentence> nameRefusal(const QString &name)
{
    if (!inAlphabet(name))
        return Sentence(QT_TRANSLATE_NOOP("Answer", "\"%1\" is not a preset name: use letters, digits, space, - and _, "
                                                    "1 to %2 characters, no space at either end"))
            .arg(name)
            .arg(kMaxNameLength);
    if (namesADevice(name))
        return Sentence(QT_TRANSLATE_NOOP("Answer", "\"%1\" is not a preset name: Windows reserves CON, PRN, AUX, NUL, "
                                                    "COM1 to COM9 and LPT1 to LPT9, in any letter case, for devices"))
            .arg(name);
    return std::nullopt;
}

QStringList list(const controls::ControlTable &table)
{
    const QString directory = directoryOf(table);
    QStringList names;
    if (directory.isEmpty())
        return names;
    for (const QFileInfo &file : QDir(directory).entryInfoList({QLatin1Char('*') + kSuffix}, QDir::Files, QDir::Name)) {
        if (validName(file.completeBaseName()))
            names << file.completeBaseName();
    }
    return names;
}

Answer save(const controls::ControlTable &table, const QString &name)
{
    if (const auto refused = refusal(table, name))
        return *refused;
    const QString directory = directoryOf(table);
    savedstate::createPrivateDirectory(QFileInfo(directory).path());
    savedstate::createPrivateDirectory(directory);
    if (!QFileInfo(directory).isDir())
        return {Refused, Sentence(QT_TRANSLATE_NOOP("Answer", "cannot make the folder %1")).arg(directory)};
    const QString path = pathOf(table, name);
    savedstate::createPrivateFile(path);
    QSettings preset(path, QSettings::IniFormat);
    preset.clear();
    preset.setValue(safetygate::kPresetModelKey, table.model());
    for (const controls::Control &control : table.controls()) {
        if (control.knob)
            preset.setValue(control.key, control.value());
        else
            preset.setValue(control.key, control.value() != 0);
    }
    preset.sync();
    if (preset.status() != QSettings::NoError)
        return {Refused, Sentence(QT_TRANSLATE_NOOP("Answer", "cannot write %1")).arg(path)};
    return {Done, Sentence(QT_TRANSLATE_NOOP("Answer", "saved preset \"%1\"")).arg(name)};
}

Answer load(const controls::ControlTable &table, const QString &name)
{
    if (const auto refused = refusal(table, name))
        return *refused;
    const QString path = pathOf(table, name);
    if (!QFileInfo(path).isFile())
        return missing(table, name);
    const QSettings preset(path, QSettings::IniFormat);
    if (const std::optional<Sentence> refused = safetygate::checkPreset(table, preset))
        return {Refused,
                Sentence(QT_TRANSLATE_NOOP("Answer", "preset \"%1\" refused, nothing changed: %2")).arg(name).arg(*refused)};

    const std::uint64_t failedBefore = table.device()->failedRequests();
    std::vector<Sentence> notes {Sentence(QT_TRANSLATE_NOOP("Answer", "loaded preset \"%1\"")).arg(name)};
    for (const Sentence &note :
         safetygate::replay(table, safetygate::presetTargets(table, preset), safetygate::Way::Preset))
        notes.push_back(note);
    if (table.device()->failedRequests() != failedBefore)
        return {DeviceRefused,
                Sentence(QT_TRANSLATE_NOOP("Answer", "the interface refused part of preset \"%1\"; the panel shows it loaded"))
                    .arg(name)};
    return {Done, Sentence::lines(notes)};
}

Answer remove(const controls::ControlTable &table, const QString &name)
{
    if (const auto refused = refusal(table, name))
        return *refused;
    if (!QFileInfo(pathOf(table, name)).isFile())
        return missing(table, name);
    if (!QFile::remove(pathOf(table, name)))
        return {Refused, Sentence(QT_TRANSLATE_NOOP("Answer", "cannot delete %1")).arg(pathOf(table, name))};
    return {Done, Sentence(QT_TRANSLATE_NOOP("Answer", "deleted preset \"%1\"")).arg(name)};
}

} // namespace remote::presets
