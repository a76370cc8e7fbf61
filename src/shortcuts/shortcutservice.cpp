#include "shortcutservice.h"

#include "outputs.h"

#include <controlchange.h>
#include <remotecontrol.h>

#include <QDebug>
#include <QWidget>

#include <cstdlib>

namespace shortcuts {

using answers::Sentence;
using controls::Control;
using controls::ControlTable;

namespace {

// A shortcut comes from outside the window as a surface does: it may switch
// 48 V off, never on, and never past a limit.
constexpr safetygate::Way kWay = safetygate::Way::Surface;

int idOf(QKeyCombination keys)
{
    return keys.toCombined();
}

QString laterLines(const QString &text)
{
    return text.section(QLatin1Char('\n'), 1);
}

} // namespace

ShortcutService::ShortcutService(QWidget *rootWidget, QObject *parent)
    : QObject(parent)
    , root(rootWidget)
    , keys(this)
    , changeDisplay(rootWidget)
{
    connect(&keys, &globalkeys::GlobalShortcuts::activated, this, &ShortcutService::activate);
}

void ShortcutService::start()
{
    const SavedShortcuts file = loadShortcuts();
    saved = file.bindings;
    for (const auto &[combination, action] : saved)
        if (hold(combination) == Outcome::Taken)
            qWarning().noquote() << QStringLiteral("Shortcut %1 (%2) not held: another program holds it")
                                        .arg(keysText(combination), action.text());
    media = file.mediaKeys;
    if (media.on()) {
        if (const std::optional<Sentence> why = holdMediaKeys()) {
            qWarning().noquote() << "Media keys not held:" << why->english();
            media.output.clear();
        }
    }
    changeDisplay.setShowsOtherChanges(file.showOtherChanges);
}

Outcome ShortcutService::outcomeOf(QKeyCombination combination) const
{
    return outcomes.value(idOf(combination), Outcome::Unsupported);
}

Outcome ShortcutService::hold(QKeyCombination combination)
{
    const Outcome outcome = keys.add(idOf(combination), combination);
    outcomes.insert(idOf(combination), outcome);
    return outcome;
}

void ShortcutService::letGo(QKeyCombination combination)
{
    keys.remove(idOf(combination));
    outcomes.remove(idOf(combination));
}

remote::Answer ShortcutService::bind(QKeyCombination combination, const std::optional<Action> &action)
{
    const QString named = keysText(combination);
    if (!action) {
        letGo(combination);
        saved.erase(combination);
        const bool written = saveBinding(combination, std::nullopt);
        emit changed();
        if (!written)
            return {remote::Refused, Sentence(QT_TRANSLATE_NOOP("Answer", "%1 is let go, but shortcuts.ini could not be "
                                                                          "written: it comes back at the next start"))
                                         .arg(named)};
        return {remote::Done, named + QStringLiteral(" none")};
    }
    const bool held = saved.count(combination) && outcomeOf(combination) == Outcome::Registered;
    switch (held ? Outcome::Registered : hold(combination)) {
    case Outcome::Taken:
        return {remote::Refused,
                Sentence(QT_TRANSLATE_NOOP("Answer", "%1 is held by another program: not registered")).arg(named)};
    case Outcome::Unsupported:
        return {remote::Refused, Sentence(QT_TRANSLATE_NOOP("Answer", "%1 cannot be held here: this desktop lends "
                                                                      "no keys to a program (Wayland), or has no such "
                                                                      "key: not registered"))
                                     .arg(named)};
    case Outcome::Registered:
        break;
    }
    if (!saveBinding(combination, action)) {
        if (!held)
            letGo(combination);
        return {remote::Refused,
                Sentence(QT_TRANSLATE_NOOP("Answer", "shortcuts.ini could not be written: %1 not registered")).arg(named)};
    }
    saved[combination] = *action;
    emit changed();
    return {remote::Done, named + QLatin1Char(' ') + action->text()};
}

remote::Answer ShortcutService::setMediaKeys(const MediaKeys &wanted)
{
    const ControlTable *table = controls::shownTable(root);
    const Control *output = table && wanted.on() ? table->find(wanted.output) : nullptr;
    if (table && wanted.on() && !(output && isLevel(*output))) {
        QStringList levels;
        for (const Control &control : table->controls())
            if (isLevel(control))
                levels << control.name();
        return {remote::Refused, Sentence(QT_TRANSLATE_NOOP("Answer", "the media keys step an output or phone level "
                                                                      "of the %1: %2, not \"%3\""))
                                     .arg(table->model())
                                     .arg(levels.join(QStringLiteral(", ")))
                                     .arg(wanted.output)};
    }
    if (wanted.on() && !media.on()) {
        if (const std::optional<Sentence> why = holdMediaKeys())
            return {remote::Refused, *why};
    }
    if (!wanted.on())
        for (const Qt::Key key : kMediaKeys)
            letGo(key);
    media = wanted;
    const bool written = saveMediaKeys(media);
    emit changed();
    if (!written)
        return {remote::Refused, QStringLiteral("%1; shortcuts.ini could not be written, so the next start "
                                                "does not keep it").arg(mediaKeysText())};
    return {remote::Done, mediaKeysText()};
}

std::optional<Sentence> ShortcutService::holdMediaKeys()
{
    for (const Qt::Key key : kMediaKeys) {
        if (hold(key) == Outcome::Registered)
            continue;
        const bool taken = outcomeOf(key) == Outcome::Taken;
        for (const Qt::Key each : kMediaKeys)
            letGo(each);
        return (taken ? Sentence(QT_TRANSLATE_NOOP("Answer", "%1 is held by another program: the media keys stay the "
                                                             "system's"))
                      : Sentence(QT_TRANSLATE_NOOP("Answer", "%1 cannot be held here: this desktop lends no keys to a "
                                                             "program (Wayland): the media keys stay the system's")))
            .arg(keysText(key));
    }
    return std::nullopt;
}

void ShortcutService::setShowsOtherChanges(bool on)
{
    changeDisplay.setShowsOtherChanges(on);
    saveShowOtherChanges(on);
    emit changed();
}

void ShortcutService::followPanel()
{
    changeDisplay.followPanel();
    emit changed();
}

void ShortcutService::activate(int id)
{
    for (const Qt::Key key : kMediaKeys)
        if (id == idOf(key) && media.on())
            return runMediaKey(key);
    const auto bound = saved.find(QKeyCombination::fromCombined(id));
    if (bound != saved.end())
        run(QStringLiteral("Shortcut %1").arg(keysText(bound->first)), bound->second);
}

void ShortcutService::runMediaKey(Qt::Key key)
{
    const QString who = QStringLiteral("Media key %1").arg(keysText(key));
    if (key == Qt::Key_VolumeMute) {
        if (const std::optional<Action> mute = muteAction(who, media.output))
            run(who, *mute);
        return;
    }
    run(who, {Action::Kind::Step, media.output, key == Qt::Key_VolumeUp ? media.step : -media.step});
}

void ShortcutService::stepByWheel(int notches)
{
    const QString output = mediaOutput();
    for (int notch = 0; notch < std::abs(notches); ++notch)
        run(QStringLiteral("The tray's wheel"),
            {Action::Kind::Step, output, notches > 0 ? media.step : -media.step});
}

void ShortcutService::toggleMuteByTray()
{
    const QString who = QStringLiteral("The tray's middle click");
    if (const std::optional<Action> mute = muteAction(who, mediaOutput()))
        run(who, *mute);
}

QString ShortcutService::mediaOutput() const
{
    if (media.on())
        return media.output;
    const ControlTable *table = controls::shownTable(root);
    const Control *output = table ? mainOutput(*table) : nullptr;
    return output ? output->name() : QString();
}

std::optional<Action> ShortcutService::muteAction(const QString &who, const QString &level)
{
    const ControlTable *table = controls::shownTable(root);
    const Control *output = table ? table->find(level) : nullptr;
    const Control *mute = output ? muteOf(*table, *output) : nullptr;
    if (mute)
        return Action {Action::Kind::Toggle, mute->name(), 0};
    if (table)
        sayOnce(QStringLiteral("%1 ignored: %2 has no MUTE on the %3").arg(who, level, table->model()));
    return std::nullopt;
}

void ShortcutService::run(const QString &who, const Action &action)
{
    switch (action.kind) {
    case Action::Kind::Show:
        remote::execute(root, {remote::Verb::Show, QString()});
        return;
    case Action::Kind::Preset: {
        remote::Answer loaded;
        changeDisplay.whileOwnChange([&] { loaded = remote::execute(root, {remote::Verb::PresetLoad, action.target}); });
        if (loaded.code == remote::NoInterface)
            return sayOnce(QStringLiteral("%1 ignored: no interface connected").arg(who));
        if (loaded.code != remote::Done)
            sayOnce(QStringLiteral("%1 refused: %2").arg(who, loaded.text.english()));
        changeDisplay.showPreset(action.target, loaded.code == remote::Done ? laterLines(loaded.text.translated())
                                                                            : loaded.text.translated());
        return;
    }
    case Action::Kind::Step:
    case Action::Kind::Toggle:
        break;
    }
    change(who, action);
}

void ShortcutService::change(const QString &who, const Action &action)
{
    const ControlTable *table = controls::shownTable(root);
    if (!table)
        return sayOnce(QStringLiteral("%1 ignored: no interface connected").arg(who));
    const Control *control = table->find(action.target);
    if (!control)
        return sayOnce(QStringLiteral("%1 ignored: the %2 has no control %3").arg(who, table->model(), action.target));
    remote::Answer answer;
    std::optional<Sentence> stop;
    changeDisplay.whileOwnChange([&] {
        if (action.kind == Action::Kind::Toggle) {
            answer = remote::setControl(*table, *control, QStringLiteral("toggle"), kWay);
        } else {
            if (control->knob)
                stop = remote::stepEnd(*control, action.amount).stop;
            answer = remote::step(*table, *control, action.amount, kWay);
        }
    });
    if (answer.code != remote::Done)
        sayOnce(QStringLiteral("%1 refused: %2").arg(who, answer.text.english()));
    changeDisplay.show(*table, *control,
                       answer.code != remote::Done ? answer.text.translated() : stop ? stop->translated() : QString());
}

void ShortcutService::sayOnce(const QString &line)
{
    if (!said.contains(line)) {
        said.insert(line);
        qWarning().noquote() << line;
    }
}

} // namespace shortcuts
