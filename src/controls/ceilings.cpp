#include "ceilings.h"

#include "safetygate.h"

#include <ceilingsfile.h>
#include <knob.h>
#include <korvistiocontrol.h>

#include <QAccessible>

namespace controls {

namespace {

QStringList limitedNames(const ControlTable &table)
{
    QStringList names;
    for (const Control &control : table.controls())
        if (control.takesCeiling())
            names << control.name();
    return names;
}

} // namespace

std::optional<CeilingRefusal> setCeiling(const ControlTable &table, const Control &control, const QString &text)
{
    using answers::Sentence;
    if (!control.takesCeiling())
        return CeilingRefusal {
            Sentence(QT_TRANSLATE_NOOP("Answer", "%1 takes no limit: only output and phone levels do (%2)"))
                .arg(control.name())
                .arg(limitedNames(table).join(QStringLiteral(", ")))};
    std::optional<int> ceiling;
    if (text != QLatin1String("none")) {
        ceiling = safetygate::parseWholeNumber(text);
        if (!ceiling || *ceiling < control.minimum() || *ceiling > control.maximum())
            return CeilingRefusal {
                Sentence(QT_TRANSLATE_NOOP("Answer", "%1 takes a limit from %2 to %3, or none; not \"%4\""))
                    .arg(control.name())
                    .arg(control.minimum())
                    .arg(control.maximum())
                    .arg(text)};
    }
    if (!savedstate::writeCeiling(table.model(), control.name(), ceiling))
        return CeilingRefusal {
            Sentence(QT_TRANSLATE_NOOP("Answer", "the limit for %1 could not be saved, so it was not set"))
                .arg(control.name())};
    control.knob->ceiling = ceiling;
    control.knob->update();
    QAccessibleEvent described(control.knob, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&described);
    std::optional<CeilingRefusal> refused;
    if (ceiling && control.value() > *ceiling) {
        Targets targets;
        for (const Control &each : table.controls())
            targets.set(each, each.value());
        targets.set(control, *ceiling);
        const std::uint64_t failedBefore = table.device()->failedRequests();
        safetygate::replay(table, targets, safetygate::Way::Ceiling);
        if (table.device()->failedRequests() != failedBefore)
            refused = CeilingRefusal {Sentence(QT_TRANSLATE_NOOP("Answer", "the limit of %1 for %2 is kept, but the "
                                                                           "interface refused to bring the level down "
                                                                           "to it: it may still play louder than the "
                                                                           "panel shows"))
                                          .arg(*ceiling)
                                          .arg(control.name()),
                                      true};
    }
    emit table.ceilingChanged(control);
    return refused;
}

std::optional<answers::Sentence> damagedCeilingNote(const ControlTable &table, const Control &control)
{
    if (!control.ceiling() || !savedstate::ceilingDamaged(table.model(), control.name()))
        return std::nullopt;
    return answers::Sentence(QT_TRANSLATE_NOOP("Answer", "the saved limit is damaged, so the level is held at %1 dB: "
                                                         "set the limit again"))
        .arg(*control.ceiling());
}

QString ceilingLine(const Control &control)
{
    return control.name() + QLatin1Char(' ')
         + (control.ceiling() ? QString::number(*control.ceiling()) : QStringLiteral("none"));
}

QStringList ceilingLines(const ControlTable &table)
{
    QStringList lines;
    for (const Control &control : table.controls()) {
        if (!control.takesCeiling())
            continue;
        const std::optional<answers::Sentence> damaged = damagedCeilingNote(table, control);
        lines << ceilingLine(control) + (damaged ? QStringLiteral(" (%1)").arg(damaged->english()) : QString());
    }
    return lines;
}

} // namespace controls
