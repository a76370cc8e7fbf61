#include "action.h"

#include <controlchange.h>
#include <presets.h>

#include <QKeySequence>

#include <cstdlib>

namespace shortcuts {

using answers::Sentence;

namespace {

const QString kStep = QStringLiteral("step");
const QString kToggle = QStringLiteral("toggle");
const QString kPreset = QStringLiteral("preset");
const QString kShow = QStringLiteral("show");

Sentence usage(const QString &text)
{
    return Sentence(QT_TRANSLATE_NOOP("Answer", "\"%1\" is no shortcut action: give \"step KEY=N\" (N from -%2 to "
                                                "%2, not 0), \"toggle KEY\", \"preset NAME\" or \"show\""))
        .arg(text)
        .arg(remote::kLargestKeyStep);
}

// A control's name as the ini file writes it: one word, no '='.
bool isControlName(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('=')) && !name.contains(QLatin1Char(' '));
}

std::optional<Action> parseStep(const QString &assignment)
{
    const qsizetype equals = assignment.indexOf(QLatin1Char('='));
    const std::optional<int> amount = equals < 0 ? std::nullopt : remote::parseStepAmount(assignment.mid(equals + 1));
    if (!amount || *amount == 0 || std::abs(*amount) > remote::kLargestKeyStep || !isControlName(assignment.left(equals)))
        return std::nullopt;
    return Action {Action::Kind::Step, assignment.left(equals), *amount};
}

// Qt reads "Ctrl+Alt" as the Alt key with Ctrl held: a modifier is no key of a shortcut.
bool isModifier(Qt::Key key)
{
    static const QList<Qt::Key> modifiers = {Qt::Key_Shift,   Qt::Key_Control, Qt::Key_Alt,     Qt::Key_Meta,
                                             Qt::Key_AltGr,   Qt::Key_Super_L, Qt::Key_Super_R, Qt::Key_Hyper_L,
                                             Qt::Key_Hyper_R, Qt::Key_CapsLock, Qt::Key_NumLock};
    return modifiers.contains(key);
}

} // namespace

QString Action::text() const
{
    switch (kind) {
    case Kind::Step:
        return QStringLiteral("%1 %2=%3").arg(kStep, target).arg(amount);
    case Kind::Toggle:
        return kToggle + QLatin1Char(' ') + target;
    case Kind::Preset:
        return kPreset + QLatin1Char(' ') + target;
    case Kind::Show:
        break;
    }
    return kShow;
}

std::optional<Action> parseAction(const QString &text, Sentence &why)
{
    const QString verb = text.section(QLatin1Char(' '), 0, 0);
    const QString rest = text.section(QLatin1Char(' '), 1);
    std::optional<Action> action;
    if (verb == kShow && rest.isEmpty())
        action = Action {};
    else if (verb == kStep)
        action = parseStep(rest);
    else if (verb == kToggle && isControlName(rest))
        action = Action {Action::Kind::Toggle, rest, 0};
    else if (verb == kPreset && !rest.isEmpty()) {
        if (const std::optional<Sentence> refused = remote::presets::nameRefusal(rest)) {
            why = *refused;
            return std::nullopt;
        }
        action = Action {Action::Kind::Preset, rest, 0};
    }
    if (!action)
        why = usage(text);
    return action;
}

std::optional<QKeyCombination> parseKeys(const QString &text, Sentence &why)
{
    const QKeySequence sequence = QKeySequence::fromString(text, QKeySequence::PortableText);
    const Qt::KeyboardModifiers holding = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (sequence.count() == 1 && sequence[0].key() != Qt::Key_unknown && !isModifier(sequence[0].key())
        && (sequence[0].keyboardModifiers() & holding))
        return sequence[0];
    why = Sentence(QT_TRANSLATE_NOOP("Answer", "\"%1\" is no key combination for a shortcut: give one key with Ctrl, "
                                               "Alt or Meta held, such as Ctrl+Alt+Up (a key alone would be taken "
                                               "from every other program)"))
              .arg(text);
    return std::nullopt;
}

QString keysText(QKeyCombination keys)
{
    return QKeySequence(keys).toString(QKeySequence::PortableText);
}

} // namespace shortcuts
