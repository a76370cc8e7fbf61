#include "controlchange.h"

#include <korvistiocontrol.h>

#include <algorithm>

namespace remote {

using answers::Sentence;
using controls::Control;

Answer setControl(const controls::ControlTable &table, const Control &control, const QString &value,
                  safetygate::Way way)
{
    Sentence refusal;
    const std::optional<int> parsed = safetygate::parseValue(control, value, way, refusal);
    if (!parsed)
        return {Refused, refusal};
    if (const std::optional<Sentence> refused = safetygate::refuseChange(control, *parsed, way))
        return {Refused, *refused};
    const std::uint64_t failedBefore = table.device()->failedRequests();
    control.apply(*parsed);
    const QString result = control.name() + QLatin1Char('=') + control.valueText();
    if (table.device()->failedRequests() != failedBefore)
        return {DeviceRefused,
                Sentence(QT_TRANSLATE_NOOP("Answer", "the interface refused the change; the panel shows %1")).arg(result)};
    return {Done, result};
}

StepEnd stepEnd(const Control &knob, int amount)
{
    const qint64 wanted = qint64(knob.value()) + amount;
    const int top = knob.ceiling() ? std::min(*knob.ceiling(), knob.maximum()) : knob.maximum();
    if (wanted > top)
        return {top, top == knob.ceiling() ? Sentence(QT_TRANSLATE_NOOP("Answer", "limited to %1 dB")).arg(top)
                                           : Sentence(QT_TRANSLATE_NOOP("Answer", "at the top of its range"))};
    if (wanted < knob.minimum())
        return {knob.minimum(), Sentence(QT_TRANSLATE_NOOP("Answer", "at the bottom of its range"))};
    return {int(wanted), std::nullopt};
}

std::optional<int> parseStepAmount(const QString &text)
{
    if (text.startsWith(QLatin1String("+-")))
        return std::nullopt;
    return safetygate::parseWholeNumber(text.startsWith(QLatin1Char('+')) ? text.mid(1) : text);
}

Answer step(const controls::ControlTable &table, const Control &control, int amount, safetygate::Way way)
{
    if (!control.knob)
        return {Refused, Sentence(QT_TRANSLATE_NOOP("Answer", "%1 is a switch, which a step cannot move: "
                                                               "turn it with --set %1=toggle"))
                             .arg(control.name())};
    const StepEnd end = stepEnd(control, amount);
    Answer answer = end.value == control.value()
                      ? Answer {Done, control.name() + QLatin1Char('=') + control.valueText()}
                      : setControl(table, control, QString::number(end.value), way);
    if (answer.code == Done && end.stop)
        answer.text = Sentence::lines({answer.text, *end.stop});
    return answer;
}

} // namespace remote
