#include "commandvalue.h"

#include "taper.h"

#include <cmath>

namespace surface {

using answers::Sentence;
using controls::Control;

namespace {

QString numberText(double number)
{
    return QString::number(number, 'g', 10);
}

// A toggle flips what the switch is going to, not what a throttled change has yet to reach.
QString flipped(const Control &control, std::optional<int> waiting)
{
    return waiting.value_or(control.value()) ? QStringLiteral("off") : QStringLiteral("on");
}

} // namespace

std::variant<QString, Sentence> valueText(const Control &control, const Command &command, std::optional<int> waiting)
{
    switch (command.kind) {
    case Command::Kind::Value:
        if (control.button && command.text == QLatin1String("toggle"))
            return flipped(control, waiting);
        if (control.button && command.text)
            return *command.text == QLatin1String("1") ? QStringLiteral("on")
                 : *command.text == QLatin1String("0") ? QStringLiteral("off")
                                                       : *command.text;
        if (command.text)
            return *command.text;
        if (control.button) {
            if (command.number == 0 || command.number == 1)
                return command.number == 1 ? QStringLiteral("on") : QStringLiteral("off");
            return Sentence(QT_TRANSLATE_NOOP("Answer", "%1 takes 1 or 0 (or on, off, toggle), not %2"))
                .arg(control.name())
                .arg(numberText(command.number));
        }
        if (const double rounded = std::round(command.number);
            rounded >= control.minimum() && rounded <= control.maximum())
            return QString::number(int(rounded));
        return numberText(command.number);
    case Command::Kind::Fader:
        if (!control.knob)
            return Sentence(QT_TRANSLATE_NOOP("Answer", "%1 is a switch, not a fader: send it 1 or 0, or nothing to "
                                                        "toggle it"))
                .arg(control.name());
        if (command.number < 0 || command.number > 1)
            return Sentence(QT_TRANSLATE_NOOP("Answer", "%1 is beyond the travel of %2: give 0 to 1"))
                .arg(numberText(command.number))
                .arg(command.said);
        return QString::number(valueAtFader(control, command.number));
    case Command::Kind::Toggle:
        if (!control.button)
            return Sentence(QT_TRANSLATE_NOOP("Answer", "%1 is a knob: give it a whole number from %2 to %3, or a "
                                                        "position from 0 to 1 at its fader"))
                .arg(control.name())
                .arg(control.minimum())
                .arg(control.maximum());
        return flipped(control, waiting);
    default:
        return Sentence();
    }
}

} // namespace surface
