#include "remotecontrol.h"

#include "controlchange.h"
#include "presets.h"

#include <bringtofront.h>
#include <ceilings.h>
#include <controltable.h>
#include <safetygate.h>

#include <QWidget>

namespace remote {

namespace {

using controls::Control;
using controls::ControlTable;
using answers::Sentence;

Answer unknownKey(const ControlTable &table, const QString &name)
{
    return {Refused, Sentence(QT_TRANSLATE_NOOP("Answer", "the %1 has no control \"%2\"; valid keys: %3"))
                         .arg(table.model())
                         .arg(name)
                         .arg(table.names().join(QStringLiteral(", ")))};
}

QString describe(const Control &control)
{
    if (control.knob)
        return QStringLiteral("%1 knob %2..%3 %4%5")
            .arg(control.name())
            .arg(control.minimum())
            .arg(control.maximum())
            .arg(control.valueText(),
                 control.ceiling() ? QStringLiteral(" limit %1").arg(*control.ceiling()) : QString());
    return QStringLiteral("%1 switch true/false %2").arg(control.name(), control.valueText());
}

// KEY=VALUE for a control of the table: the control and the value's text,
// or the refusal (usage when there is no '=', the valid keys for an unknown one).
struct Assignment
{
    const Control *control = nullptr;
    QString value;
    Answer refusal;
};

Assignment assignmentOf(const ControlTable &table, const QString &text, const Sentence &usage)
{
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (equals < 0)
        return {nullptr, QString(), {Refused, usage}};
    const Control *control = table.find(text.left(equals));
    if (!control)
        return {nullptr, QString(), unknownKey(table, text.left(equals))};
    return {control, text.mid(equals + 1).trimmed(), {}};
}

Answer set(const ControlTable &table, const QString &text)
{
    const Assignment assignment =
        assignmentOf(table, text, Sentence(QT_TRANSLATE_NOOP("Answer", "set needs KEY=VALUE, not \"%1\"")).arg(text));
    if (!assignment.control)
        return assignment.refusal;
    return setControl(table, *assignment.control, assignment.value, safetygate::Way::Script);
}

Answer step(const ControlTable &table, const QString &text)
{
    const Sentence usage =
        Sentence(QT_TRANSLATE_NOOP("Answer", "step needs KEY=N, N a whole number of dB up or down, not \"%1\""))
            .arg(text);
    const Assignment assignment = assignmentOf(table, text, usage);
    if (!assignment.control)
        return assignment.refusal;
    const std::optional<int> amount = parseStepAmount(assignment.value);
    if (!amount)
        return {Refused, usage};
    return remote::step(table, *assignment.control, *amount, safetygate::Way::Script);
}

Answer limit(const ControlTable &table, const QString &text)
{
    if (text.isEmpty())
        return {Done, controls::ceilingLines(table).join(QLatin1Char('\n'))};
    const Assignment assignment = assignmentOf(
        table, text, Sentence(QT_TRANSLATE_NOOP("Answer", "limit needs KEY=DB or KEY=none, not \"%1\"")).arg(text));
    if (!assignment.control)
        return assignment.refusal;
    if (const std::optional<controls::CeilingRefusal> refused =
            controls::setCeiling(table, *assignment.control, assignment.value))
        return {refused->byInterface ? DeviceRefused : Refused, refused->text};
    return {Done, controls::ceilingLine(*assignment.control)};
}

} // namespace

Answer execute(QWidget *root, const Request &request)
{
    const ControlTable *table = controls::shownTable(root);
    if (isServiceVerb(request.verb))
        return {Refused, QStringLiteral("control surfaces, the phone remote and shortcuts are not served by this program")};
    if (request.verb != Verb::Show && !table)
        return {NoInterface, Sentence(QT_TRANSLATE_NOOP("Answer", "no interface connected: Korvist Mixer shows \"%1\""))
                                 .arg(Sentence::shownAs("MainWindow", QStringLiteral("声卡未连接！")))};

    switch (request.verb) {
    case Verb::Show:
        bringToFront(root);
        return {Done, QString()};
    case Verb::List: {
        QStringList lines;
        for (const Control &control : table->controls())
            lines << describe(control);
        return {Done, lines.join(QLatin1Char('\n'))};
    }
    case Verb::Get: {
        const Control *control = table->find(request.argument);
        return control ? Answer {Done, control->valueText()} : unknownKey(*table, request.argument);
    }
    case Verb::Set:
        return set(*table, request.argument);
    case Verb::Step:
        return step(*table, request.argument);
    case Verb::PresetSave:
        return presets::save(*table, request.argument);
    case Verb::PresetLoad:
        return presets::load(*table, request.argument);
    case Verb::PresetList:
        return {Done, presets::list(*table).join(QLatin1Char('\n'))};
    case Verb::PresetDelete:
        return presets::remove(*table, request.argument);
    case Verb::Limit:
        return limit(*table, request.argument);
    case Verb::Osc:
    case Verb::OscAllow:
    case Verb::Web:
    case Verb::Hotkey:
    case Verb::MediaKeys:
        break;
    }
    return {Refused, QStringLiteral("unknown request")};
}

} // namespace remote
