#include "safetygate.h"

#include <knob.h>
#include <korvistiocontrol.h>
#include <mixerblock.h>
#include <settingsfile.h>
#include <storedvalue.h>

#include <QDebug>
#include <QSettings>

#include <algorithm>

namespace safetygate {

using controls::Control;
using controls::ControlTable;
using controls::Kind;
using controls::Targets;
using answers::Sentence;

namespace {

// The order of a replay, as a sequence of phases. Until the steady phase every
// request lowers something, so the state stays below the start; from there on
// every request raises something towards the end, so it stays below the end.
enum Phase { LevelsDown, PadsOn, RoutesClose, Steady, PadsOff, RoutesOpen, LevelsUp };

Phase phaseOf(const Control &control, int target)
{
    const int from = control.value();
    if (target == from || control.kind == Kind::PhantomPower || control.kind == Kind::PlainSwitch)
        return Steady;
    const bool rises = target > from;
    switch (control.kind) {
    case Kind::Pad:
        return rises ? PadsOn : PadsOff;
    case Kind::Route:
        return rises ? RoutesOpen : RoutesClose;
    default:
        return rises ? LevelsUp : LevelsDown;
    }
}

// Each entry of the block at the lower of what it is now and what the replay
// ends with: the block every send carries until the handlers set their own.
void stageQuietest(const ControlTable &table, const Targets &targets)
{
    MixerBlock *mixer = table.mixer();
    if (!mixer || !table.stageMixer)
        return;
    const MixerBlock start = *mixer;
    table.stageMixer(targets);
    for (int row = 0; row < MixerBlock::kRows; ++row)
        for (int column = 0; column < MixerBlock::kColumns; ++column)
            mixer->crosspoint[row][column] = std::min(mixer->crosspoint[row][column], start.crosspoint[row][column]);
    for (int output = 0; output < MixerBlock::kOutputs; ++output)
        mixer->outputGain[output] = std::min(mixer->outputGain[output], start.outputGain[output]);
}

// An arriving interface may hold anything: another session's levels, an
// earlier run's, a state kept through a stall. The replay orders itself from
// the panel's starting state, so the device is first brought at least that
// low: the mixer block with every level the table stages at its bottom, every
// pad on and every route closed (so no output carries anything), then each
// input gain at its minimum. Pads and phantom power are left as they are:
// with the outputs silent and the gains down, the replay's own order takes
// them to their ends without a step above both.
void quietenFirst(const ControlTable &table)
{
    MixerBlock *mixer = table.mixer();
    if (mixer && table.stageMixer && table.device()) {
        Targets quietest;
        for (const Control &control : table.controls())
            quietest.set(control, control.knob ? control.minimum()
                                  : control.kind == Kind::Pad ? 1
                                  : control.kind == Kind::Route ? 0
                                                                : control.value());
        stageQuietest(table, quietest);
        if (!table.device()->writeMixer(*mixer))
            qDebug() << "Failed to silence the mixer before the replay.";
    }
    for (const Control &control : table.controls())
        if (control.kind == Kind::InputGain)
            control.apply(control.minimum());
}

// As the file holds it; a QSettings object of this process may still hold the
// bool or int it was given rather than the text it wrote.
std::optional<QString> storedText(const QVariant &stored)
{
    switch (stored.typeId()) {
    case QMetaType::QString:
        return stored.toString();
    case QMetaType::Bool:
        return stored.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::Int:
        return QString::number(stored.toInt());
    default:
        return std::nullopt;
    }
}

// An input as the panels name it: "MIC1" on the panel, "麦克风1"... in the window's language.
Sentence inputName(const Control &control)
{
    return Sentence::shownAs("Answer", control.input);
}

} // namespace

void guardKeys(const Control &control)
{
    if (control.knob)
        control.knob->endReachesMaximum = false;
}

std::optional<int> parseWholeNumber(const QString &text)
{
    return text.startsWith(QLatin1Char('+')) ? std::nullopt : savedstate::parseStoredNumber(QVariant(text));
}

std::optional<int> parseValue(const Control &control, const QString &text, Way way, Sentence &refusal)
{
    if (control.knob) {
        const std::optional<int> value = parseWholeNumber(text);
        Sentence range(QT_TRANSLATE_NOOP("Answer", "a whole number from %1 to %2"));
        range.arg(control.minimum()).arg(control.maximum());
        if (!value)
            refusal = Sentence(QT_TRANSLATE_NOOP("Answer", "%1 takes %2, not \"%3\"")).arg(control.name()).arg(range).arg(text);
        else if (*value < control.minimum() || *value > control.maximum())
            refusal = Sentence(QT_TRANSLATE_NOOP("Answer", "%1 is out of range for %2: give %3"))
                          .arg(text)
                          .arg(control.name())
                          .arg(range);
        else if (control.ceiling() && *value > *control.ceiling() && (way == Way::Script || way == Way::Surface))
            refusal = Sentence(QT_TRANSLATE_NOOP("Answer", "%1 is above the limit of %2 set for %3: give at most %2, "
                                                           "or lift the limit (--limit %3=none)"))
                          .arg(text)
                          .arg(*control.ceiling())
                          .arg(control.name());
        else
            return value;
        return std::nullopt;
    }
    const bool toggles = way == Way::Script || way == Way::Surface;
    if (text == QLatin1String("on") || text == QLatin1String("true"))
        return 1;
    if (text == QLatin1String("off") || text == QLatin1String("false"))
        return 0;
    if (toggles && text == QLatin1String("toggle"))
        return control.value() ? 0 : 1;
    refusal = Sentence(toggles ? QT_TRANSLATE_NOOP("Answer", "%1 takes on, off, toggle, true or false, not \"%2\"")
                               : QT_TRANSLATE_NOOP("Answer", "%1 takes on, off, true or false, not \"%2\""))
                  .arg(control.name())
                  .arg(text);
    return std::nullopt;
}

bool mayTurnOnPhantomPower(Way way)
{
    return way == Way::Hand || way == Way::Script || way == Way::PlugIn;
}

std::optional<Sentence> refuseChange(const Control &control, int value, Way way)
{
    if (control.kind == Kind::PhantomPower && value && !control.value() && !mayTurnOnPhantomPower(way))
        return Sentence(QT_TRANSLATE_NOOP("Answer", "48V on %1 is switched on by hand or by a script only: it stays off"))
            .arg(inputName(control));
    return std::nullopt;
}

int nextStep(const Control &control, int target, Way way)
{
    if (way != Way::Surface || !control.knob)
        return target;
    if (const std::optional<int> ceiling = control.ceiling())
        target = std::min(target, *ceiling);
    return std::min(target, control.value() + kLargestSurfaceRaise);
}

std::optional<Sentence> checkPreset(const ControlTable &table, const QSettings &preset)
{
    if (preset.status() != QSettings::NoError)
        return Sentence(QT_TRANSLATE_NOOP("Answer", "it is not a readable ini file"));
    const QString model = preset.value(kPresetModelKey).toString();
    if (model != table.model())
        return Sentence(QT_TRANSLATE_NOOP("Answer", "it is for the %1, not for the connected %2"))
            .arg(model.isEmpty() ? Sentence(QT_TRANSLATE_NOOP("Answer", "an unknown model")) : Sentence(model))
            .arg(table.model());
    for (const QString &key : preset.allKeys()) {
        if (key == kPresetModelKey)
            continue;
        const QVariant stored = preset.value(key);
        const QString shown = stored.toStringList().join(QLatin1Char(','));
        const auto control = std::find_if(table.controls().begin(), table.controls().end(),
                                          [&key](const Control &c) { return c.key == key; });
        if (control == table.controls().end())
            return Sentence(QT_TRANSLATE_NOOP("Answer", "%1=%2: the %3 has no such key")).arg(key).arg(shown).arg(table.model());
        Sentence refusal =
            Sentence(QT_TRANSLATE_NOOP("Answer", "%1 takes one value, not \"%2\"")).arg(control->name()).arg(shown);
        const std::optional<QString> text = storedText(stored);
        if (!text || !parseValue(*control, *text, Way::Preset, refusal))
            return Sentence(QT_TRANSLATE_NOOP("Answer", "%1=%2: %3")).arg(key).arg(shown).arg(refusal);
    }
    return std::nullopt;
}

Targets presetTargets(const ControlTable &table, const QSettings &preset)
{
    Targets targets;
    for (const Control &control : table.controls()) {
        Sentence refusal;
        const std::optional<QString> text = storedText(preset.value(control.key));
        const std::optional<int> value = text ? parseValue(control, *text, Way::Preset, refusal) : std::nullopt;
        targets.set(control, value.value_or(control.value()));
    }
    return targets;
}

Targets savedTargets(const ControlTable &table)
{
    Targets targets;
    for (const Control &control : table.controls()) {
        if (control.knob)
            targets.set(control, std::clamp(savedstate::readStoredNumber(table.settings(), control.key,
                                                                         control.defaultValue),
                                            control.minimum(), control.maximum()));
        else
            targets.set(control, savedstate::readStoredSwitch(table.settings(), control.key));
    }
    return targets;
}

std::vector<Sentence> replay(const ControlTable &table, Targets targets, Way way)
{
    const savedstate::SyncOnce oneWrite(table.settings());
    if (way == Way::PlugIn || way == Way::HandOver)
        quietenFirst(table);
    std::vector<Sentence> notes;
    std::vector<std::pair<Phase, const Control *>> steps;
    for (const Control &control : table.controls()) {
        if (refuseChange(control, targets.of(control), way)) {
            targets.set(control, 0);
            notes.push_back(
                Sentence(QT_TRANSLATE_NOOP("Answer", "48V left off on %1: switch it on by hand")).arg(inputName(control)));
        }
        if (control.ceiling() && targets.of(control) > *control.ceiling()) {
            notes.push_back(Sentence(QT_TRANSLATE_NOOP("Answer", "%1 set to its limit of %2, not %3"))
                                .arg(control.name())
                                .arg(*control.ceiling())
                                .arg(targets.of(control)));
            targets.set(control, *control.ceiling());
        }
        steps.emplace_back(phaseOf(control, targets.of(control)), &control);
    }
    std::stable_sort(steps.begin(), steps.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    stageQuietest(table, targets);
    for (const auto &[phase, control] : steps)
        control->apply(targets.of(*control));
    return notes;
}

} // namespace safetygate
