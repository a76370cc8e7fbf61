#include "panelsurface.h"

#include "oscendpoint.h"
#include "taper.h"

#include <controltable.h>
#include <presets.h>
#include <safetygate.h>

#include <QWidget>

#include <cmath>

namespace surface {

namespace {

using controls::Control;
using controls::ControlTable;
using safetygate::Way;

// The gate's parser takes text, as a script gives it; a number beyond any
// control's range stays beyond it, so the gate refuses it and names the range.
QString numberText(double number)
{
    return QString::number(std::llround(std::clamp(number, -1e9, 1e9)));
}

// The text for the gate, or nothing for a command this control does not take.
std::optional<QString> valueText(const Control &control, const Command &command, std::optional<int> waiting)
{
    switch (command.kind) {
    case Command::Kind::Value:
        if (control.button && (command.number == 0 || command.number == 1))
            return command.number == 1 ? QStringLiteral("on") : QStringLiteral("off");
        return numberText(command.number);
    case Command::Kind::Fader:
        if (!control.knob)
            return std::nullopt;
        // Beyond the travel stays beyond the range, so the gate refuses it.
        if (command.number < 0 || command.number > 1)
            return numberText(control.minimum() + command.number * (control.maximum() - control.minimum()));
        return QString::number(valueAtFader(control, command.number));
    case Command::Kind::Toggle:
        if (!control.button)
            return std::nullopt;
        // A toggle flips what the switch is going to, not what a throttled change has yet to reach.
        return waiting.value_or(control.value()) ? QStringLiteral("off") : QStringLiteral("on");
    default:
        return std::nullopt;
    }
}

} // namespace

PanelSurface::PanelSurface(QWidget *root, OscEndpoint &osc, DropLog &dropLog, QObject *parent)
    : QObject(parent)
    , rootWidget(root)
    , endpoint(osc)
    , log(dropLog)
    , throttle([this](const QString &control, int value) { applyChange(control, value); })
    , states([this](const QList<Peer> &to) { sendState(to); })
{
}

void PanelSurface::followPanel()
{
    ControlTable *table = controls::shownTable(rootWidget);
    if (table == followed)
        return;
    if (followed)
        disconnect(followed, nullptr, this, nullptr);
    followed = table;
    throttle.clear();
    if (table) {
        connect(table, &ControlTable::changed, this, [this](const Control &control) { sendControl(control, subscribers.live()); });
        connect(table, &ControlTable::readoutsShown, this, &PanelSurface::sendReadouts);
    }
    sendState(subscribers.live());
}

void PanelSurface::handle(const Message &message, const Peer &from)
{
    const std::optional<Command> command = interpret(message);
    if (!command) {
        log.count(DropLog::Unknown);
        return;
    }
    switch (command->kind) {
    case Command::Kind::Refresh:
        if (!states.request(from))
            log.count(DropLog::OverBudget);
        return;
    case Command::Kind::Subscribe:
        return subscribe(Peer {from.host, quint16(command->number)}, from);
    case Command::Kind::PresetLoad:
        return loadPreset(command->name, from);
    default:
        return change(*command, from);
    }
}

void PanelSurface::change(const Command &command, const Peer &from)
{
    if (!followed)
        return refuse(QStringLiteral("no interface connected"), from);
    const Control *control = followed->find(command.control);
    const std::optional<QString> text = control ? valueText(*control, command, throttle.waiting(control->name()))
                                                : std::nullopt;
    if (!text) {
        log.count(DropLog::Unknown);
        return;
    }
    answers::Sentence refusal;
    const std::optional<int> value = safetygate::parseValue(*control, *text, Way::Surface, refusal);
    if (!value)
        return refuse(refusal, from);
    if (const std::optional<answers::Sentence> refused = safetygate::refuseChange(*control, *value, Way::Surface))
        return refuse(*refused, from);
    throttle.request(control->name(), *value);
}

void PanelSurface::subscribe(const Peer &subscriber, const Peer &from)
{
    switch (subscribers.renew(subscriber)) {
    case Subscribers::Renewal::Full:
        return refuse(QStringLiteral("%1 surfaces are subscribed already").arg(Subscribers::kMaximum), from);
    case Subscribers::Renewal::HostFull:
        return refuse(QStringLiteral("%1 surfaces of this host are subscribed already").arg(Subscribers::kPerHost),
                      from);
    case Subscribers::Renewal::Renewed:
        if (!states.request(subscriber))
            log.count(DropLog::OverBudget);
        return;
    }
}

void PanelSurface::loadPreset(const QString &name, const Peer &from)
{
    if (!followed)
        return refuse(QStringLiteral("no interface connected"), from);
    if (const std::optional<answers::Sentence> refused = remote::presets::nameRefusal(name))
        return refuse(*refused, from);
    throttle.requestPreset([this, name, from] {
        if (!followed)
            return;
        const remote::Answer answer = remote::presets::load(*followed, name);
        if (answer.code != remote::Done)
            refuse(answer.text, from);
    });
}

void PanelSurface::applyChange(const QString &name, int value)
{
    const Control *control = followed ? followed->find(name) : nullptr;
    if (!control)
        return;
    // Checked again as it is made: a hand may have switched 48 V off meanwhile.
    if (const std::optional<answers::Sentence> refused = safetygate::refuseChange(*control, value, Way::Surface))
        return log.refused(refused->english());
    control->apply(value);
}

void PanelSurface::refuse(const answers::Sentence &why, const Peer &to)
{
    log.refused(why.english());
    endpoint.send(encode(kRefusedAddress, why.english()), to);
}

void PanelSurface::sendState(const QList<Peer> &to)
{
    for (const Peer &peer : to)
        endpoint.send(encode(kModelAddress, followed ? followed->model() : QString()), peer);
    if (followed)
        for (const Control &control : followed->controls())
            sendControl(control, to);
}

void PanelSurface::sendControl(const Control &control, const QList<Peer> &to)
{
    const QByteArray value = encode(valueAddress(control.name()), control.value());
    const QByteArray fader =
        control.knob ? encode(faderAddress(control.name()), float(faderPosition(control, control.value()))) : QByteArray();
    for (const Peer &peer : to) {
        endpoint.send(value, peer);
        endpoint.send(fader, peer);
    }
}

void PanelSurface::sendReadouts()
{
    const QList<Peer> to = subscribers.live();
    if (to.isEmpty() || !followed)
        return;
    for (const controls::Readout &readout : followed->readouts()) {
        const QByteArray level = encode(levelAddress(readout.name), float(readout.decibels()));
        for (const Peer &peer : to)
            endpoint.send(level, peer);
    }
}

} // namespace surface
