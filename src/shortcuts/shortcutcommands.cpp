// The command line's --hotkey and --media-keys, which the running program answers.
#include "shortcutservice.h"

#include <controlchange.h>
#include <controltable.h>
#include <safetygate.h>

#include <QWidget>

namespace shortcuts {

using answers::Sentence;

namespace {

QString heldText(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Taken:
        return QStringLiteral(" (held by another program: not registered)");
    case Outcome::Unsupported:
        return QStringLiteral(" (not held: this desktop lends no global shortcuts)");
    case Outcome::Registered:
        break;
    }
    return {};
}

Sentence hotkeyUsage()
{
    return Sentence(QT_TRANSLATE_NOOP("Answer", "hotkey takes nothing (to list the shortcuts), KEYS ACTION or KEYS "
                                                "none, such as --hotkey \"Ctrl+Alt+Up\" \"step SpeakerValue=2\""));
}

} // namespace

remote::Answer ShortcutService::command(const remote::Request &request)
{
    return request.verb == remote::Verb::Hotkey ? hotkeyCommand(request.argument) : mediaKeysCommand(request.argument);
}

remote::Answer ShortcutService::hotkeyCommand(const QString &argument)
{
    if (argument.isEmpty()) {
        QStringList lines;
        for (const auto &[combination, action] : saved)
            lines << keysText(combination) + QLatin1Char(' ') + action.text() + heldText(outcomeOf(combination));
        return {remote::Done, lines.join(QLatin1Char('\n'))};
    }
    const QString actionText = argument.section(QLatin1Char(' '), 1);
    if (actionText.isEmpty())
        return {remote::Refused, hotkeyUsage()};
    Sentence why;
    const std::optional<QKeyCombination> combination = parseKeys(argument.section(QLatin1Char(' '), 0, 0), why);
    if (!combination)
        return {remote::Refused, why};
    if (actionText == QLatin1String("none"))
        return bind(*combination, std::nullopt);
    const std::optional<Action> action = parseAction(actionText, why);
    if (!action)
        return {remote::Refused, why};
    remote::Answer answer = bind(*combination, action);
    const controls::ControlTable *table = controls::shownTable(root);
    const bool controlled = action->kind == Action::Kind::Step || action->kind == Action::Kind::Toggle;
    if (answer.code == remote::Done && table && controlled && !table->find(action->target))
        answer.text = Sentence::lines({answer.text, Sentence(QT_TRANSLATE_NOOP("Answer", "the connected %1 has no "
                                                                                         "control %2: the shortcut "
                                                                                         "does nothing while it is "
                                                                                         "connected"))
                                                        .arg(table->model())
                                                        .arg(action->target)});
    return answer;
}

remote::Answer ShortcutService::mediaKeysCommand(const QString &argument)
{
    const QStringList words = argument.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return {remote::Done, mediaKeysText()};
    if (words == QStringList {QStringLiteral("off")})
        return setMediaKeys({QString(), media.step});
    const std::optional<int> step =
        words.size() > 1 ? safetygate::parseWholeNumber(words[1]) : std::optional<int>(remote::kDefaultKeyStep);
    if (words.front().contains(QLatin1Char('=')))
        return {remote::Refused, Sentence(QT_TRANSLATE_NOOP("Answer", "media-keys takes a level's name and a step, "
                                                                      "such as --media-keys SpeakerValue 2, or off"))};
    if (!step || *step < 1 || *step > remote::kLargestKeyStep)
        return {remote::Refused, Sentence(QT_TRANSLATE_NOOP("Answer", "a media key steps 1 to %1 dB, not \"%2\""))
                                     .arg(remote::kLargestKeyStep)
                                     .arg(words.value(1))};
    return setMediaKeys({words.front(), *step});
}

QString ShortcutService::mediaKeysText() const
{
    if (!media.on())
        return QStringLiteral("off: the volume keys move the system volume");
    return QStringLiteral("on: the volume keys step %1 by %2 dB and the mute key toggles its MUTE; while on, they no "
                          "longer move the system volume")
        .arg(media.output)
        .arg(media.step);
}

} // namespace shortcuts
