#include "shortcutsfile.h"

#include <controlchange.h>
#include <settingsfile.h>
#include <storedvalue.h>

#include <QDebug>
#include <QSettings>

#include <memory>

namespace shortcuts {

namespace {

const QString kFileName = QStringLiteral("shortcuts.ini");
const QString kShortcutsGroup = QStringLiteral("Shortcuts");
const QString kOutputKey = QStringLiteral("MediaKeys/Output");
const QString kStepKey = QStringLiteral("MediaKeys/Step");
const QString kOtherChangesKey = QStringLiteral("OnScreenDisplay/OtherChanges");

std::unique_ptr<QSettings> openFile()
{
    return std::unique_ptr<QSettings>(savedstate::openSettingsFile(kFileName, nullptr));
}

void sayDamaged(const QString &key, const QVariant &stored, const answers::Sentence &why)
{
    qWarning().noquote() << QStringLiteral("Shortcut entry damaged, left out: %1=\"%2\" (%3)")
                                .arg(key, stored.toString(), why.english());
}

Bindings readBindings(QSettings &file)
{
    Bindings bindings;
    file.beginGroup(kShortcutsGroup);
    for (const QString &key : file.childKeys()) {
        const QVariant stored = file.value(key);
        answers::Sentence why;
        const std::optional<QKeyCombination> keys = parseKeys(key, why);
        const std::optional<Action> action = keys ? parseAction(stored.toString(), why) : std::nullopt;
        if (action)
            bindings[*keys] = *action;
        else
            sayDamaged(kShortcutsGroup + QLatin1Char('/') + key, stored, why);
    }
    file.endGroup();
    return bindings;
}

MediaKeys readMediaKeys(QSettings &file)
{
    MediaKeys mediaKeys {file.value(kOutputKey).toString(),
                         savedstate::readStoredNumber(&file, kStepKey, remote::kDefaultKeyStep)};
    if (mediaKeys.output.contains(QLatin1Char(' ')) || mediaKeys.output.contains(QLatin1Char('='))) {
        sayDamaged(kOutputKey, mediaKeys.output, QStringLiteral("the media keys stay the system's"));
        mediaKeys.output.clear();
    }
    if (mediaKeys.step < 1 || mediaKeys.step > remote::kLargestKeyStep) {
        sayDamaged(kStepKey, mediaKeys.step, QStringLiteral("a key steps 1 to %1 dB").arg(remote::kLargestKeyStep));
        mediaKeys.step = remote::kDefaultKeyStep;
    }
    return mediaKeys;
}

} // namespace

SavedShortcuts loadShortcuts()
{
    SavedShortcuts saved;
    saved.mediaKeys.step = remote::kDefaultKeyStep;
    const std::unique_ptr<QSettings> file = openFile();
    if (!file)
        return saved;
    saved.bindings = readBindings(*file);
    saved.mediaKeys = readMediaKeys(*file);
    saved.showOtherChanges = savedstate::readStoredSwitch(file.get(), kOtherChangesKey);
    return saved;
}

bool saveBinding(QKeyCombination keys, const std::optional<Action> &action)
{
    const std::unique_ptr<QSettings> file = openFile();
    if (!file)
        return false;
    // A hand-written entry may spell the combination otherwise ("ctrl+alt+up"): that one goes too.
    file->beginGroup(kShortcutsGroup);
    for (const QString &key : file->childKeys()) {
        answers::Sentence unused;
        if (parseKeys(key, unused) == keys)
            file->remove(key);
    }
    file->endGroup();
    if (action)
        return savedstate::save(file.get(), kShortcutsGroup + QLatin1Char('/') + keysText(keys), action->text());
    file->sync();
    return file->status() == QSettings::NoError;
}

bool saveMediaKeys(const MediaKeys &mediaKeys)
{
    const std::unique_ptr<QSettings> file = openFile();
    return savedstate::save(file.get(), kOutputKey, mediaKeys.output)
        && savedstate::save(file.get(), kStepKey, mediaKeys.step);
}

bool saveShowOtherChanges(bool on)
{
    const std::unique_ptr<QSettings> file = openFile();
    return savedstate::save(file.get(), kOtherChangesKey, on);
}

} // namespace shortcuts
