#include "remotecontrol.h"

#include "livepanel.h"
#include "presets.h"

#include <button.h>
#include <knob.h>
#include <storedvalue.h>

#include <QWidget>

namespace remote {

namespace {

const QString kOn = QStringLiteral("on");
const QString kOff = QStringLiteral("off");
const QString kToggle = QStringLiteral("toggle");

Answer unknownKey(const LivePanel &panel, const QString &name)
{
    return {Refused, QStringLiteral("the %1 has no control \"%2\"; valid keys: %3")
                         .arg(panel.model(), name, panel.names().join(QStringLiteral(", ")))};
}

QString describe(const Control &control)
{
    if (control.knob)
        return QStringLiteral("%1 knob %2..%3 %4")
            .arg(control.name)
            .arg(control.knob->minimum)
            .arg(control.knob->maximum)
            .arg(control.valueText());
    return QStringLiteral("%1 switch true/false %2").arg(control.name, control.valueText());
}

Answer turn(const Control &control, const QString &text)
{
    // A number as the file writes it, which never carries a plus sign.
    const std::optional<int> value =
        text.startsWith(QLatin1Char('+')) ? std::nullopt : savedstate::parseStoredNumber(QVariant(text));
    const QString range = QStringLiteral("a whole number from %1 to %2").arg(control.knob->minimum).arg(control.knob->maximum);
    if (!value)
        return {Refused, QStringLiteral("%1 takes %2, not \"%3\"").arg(control.name, range, text)};
    if (*value < control.knob->minimum || *value > control.knob->maximum)
        return {Refused, QStringLiteral("%1 is out of range for %2: give %3").arg(text, control.name, range)};
    control.knob->setValue(*value);
    return {Done, control.name + QLatin1Char('=') + control.valueText()};
}

Answer flip(const Control &control, const QString &text)
{
    bool on = false;
    if (text == kOn || text == QLatin1String("true"))
        on = true;
    else if (text == kToggle)
        on = !control.button->active;
    else if (text != kOff && text != QLatin1String("false"))
        return {Refused, QStringLiteral("%1 takes on, off, toggle, true or false, not \"%2\"").arg(control.name, text)};
    control.button->setActive(on);
    return {Done, control.name + QLatin1Char('=') + control.valueText()};
}

Answer set(const LivePanel &panel, const QString &assignment)
{
    const qsizetype equals = assignment.indexOf(QLatin1Char('='));
    if (equals < 0)
        return {Refused, QStringLiteral("set needs KEY=VALUE, not \"%1\"").arg(assignment)};
    const Control *control = panel.find(assignment.left(equals));
    if (!control)
        return unknownKey(panel, assignment.left(equals));
    const QString value = assignment.mid(equals + 1).trimmed();
    return control->knob ? turn(*control, value) : flip(*control, value);
}

} // namespace

Answer execute(QWidget *root, const Request &request)
{
    const LivePanel panel(root);
    if (request.verb != Verb::Show && !panel.present())
        return {NoInterface, QStringLiteral("no interface connected: Korvist Mixer shows \"声卡未连接！\"")};

    switch (request.verb) {
    case Verb::Show:
        root->show();
        root->raise();
        root->activateWindow();
        return {Done, QString()};
    case Verb::List: {
        QStringList lines;
        for (const Control &control : panel.controls())
            lines << describe(control);
        return {Done, lines.join(QLatin1Char('\n'))};
    }
    case Verb::Get: {
        const Control *control = panel.find(request.argument);
        return control ? Answer {Done, control->valueText()} : unknownKey(panel, request.argument);
    }
    case Verb::Set:
        return set(panel, request.argument);
    case Verb::PresetSave:
        return presets::save(panel, request.argument);
    case Verb::PresetLoad:
        return presets::load(panel, request.argument);
    case Verb::PresetList:
        return {Done, presets::list(panel).join(QLatin1Char('\n'))};
    case Verb::PresetDelete:
        return presets::remove(panel, request.argument);
    }
    return {Refused, QStringLiteral("unknown request")};
}

} // namespace remote
