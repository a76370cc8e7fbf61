#include "shownpaneladapter.h"

#include <controltable.h>
#include <meterblock.h>
#include <presets.h>
#include <safetygate.h>
#include <taper.h>

#include <QLabel>
#include <QWidget>

namespace phone {

namespace {

using controls::Control;
using safetygate::Way;

ControlView viewOf(const Control &control)
{
    ControlView view;
    view.name = control.name();
    view.label = control.widget() ? control.widget()->accessibleName() : view.name;
    if (view.label.isEmpty())
        view.label = view.name;
    switch (control.kind) {
    case controls::Kind::InputGain:
        view.kind = ControlView::Kind::Gain;
        break;
    case controls::Kind::OutputLevel:
    case controls::Kind::PhoneLevel:
        view.kind = ControlView::Kind::Level;
        break;
    case controls::Kind::PhantomPower:
        view.kind = ControlView::Kind::PhantomPower;
        break;
    default:
        view.kind = ControlView::Kind::Switch;
    }
    view.minimum = control.minimum();
    view.maximum = control.ceiling().value_or(control.maximum());
    view.value = control.value();
    if (control.knob)
        view.fader = surface::faderPosition(control, view.value);
    return view;
}

} // namespace

ShownPanelAdapter::ShownPanelAdapter(QWidget *root, QObject *parent)
    : PhonePanel(parent)
    , rootWidget(root)
{
}

void ShownPanelAdapter::followPanel()
{
    controls::ControlTable *table = controls::shownTable(rootWidget);
    if (table == followed)
        return;
    if (followed)
        disconnect(followed, nullptr, this, nullptr);
    followed = table;
    if (table) {
        connect(table, &controls::ControlTable::changed, this,
                [this](const Control &control) { emit controlChanged(viewOf(control)); });
        connect(table, &controls::ControlTable::metersRead, this, [this](const MeterBlock &meters) {
            if (meterRate == 0 || !followed)
                return;
            QList<double> levels;
            for (const controls::Readout &readout : followed->readouts())
                levels.append(readout.decibelsIn(meters));
            emit levelsRead(levels);
        });
        askMeterRate(meterRate);
    }
    emit viewChanged();
}

void ShownPanelAdapter::setAtConsole(bool console)
{
    atConsole = console;
    emit viewChanged();
}

void ShownPanelAdapter::handle(const Command &command, int client)
{
    if (!followed)
        return refuse(client, QStringLiteral("no interface connected"));
    if (command.kind == Command::Kind::Preset) {
        if (const auto refused = remote::presets::nameRefusal(command.text))
            return refuse(client, refused->translated());
        const remote::Answer answer = remote::presets::load(*followed, command.text);
        QStringList lines = answer.text.translated().split(QLatin1Char('\n'));
        const QString first = lines.takeFirst();
        emit replied(client, Reply {answer.code != remote::Done, first, lines});
        return;
    }
    const Control *control = followed->find(command.control);
    if (!control)
        return refuse(client, QStringLiteral("no control named %1").arg(command.control));
    QString text = command.text;
    if (command.kind == Command::Kind::Fader) {
        if (!control->knob || command.number < 0 || command.number > 1)
            return refuse(client, QStringLiteral("%1 takes no fader position %2").arg(control->name()).arg(command.number));
        text = QString::number(surface::valueAtFader(*control, command.number));
    }
    answers::Sentence refusal;
    const std::optional<int> value = safetygate::parseValue(*control, text, Way::Surface, refusal);
    if (!value)
        return refuse(client, refusal.translated());
    if (const auto refused = safetygate::refuseChange(*control, *value, Way::Surface))
        return refuse(client, refused->translated());
    control->apply(*value);
}

PanelView ShownPanelAdapter::view() const
{
    PanelView view;
    if (!atConsole) {
        view.presence = PanelView::Presence::OtherSession;
        return view;
    }
    if (!followed)
        return view;
    view.presence = PanelView::Presence::Shown;
    view.model = followed->model();
    for (const Control &control : followed->controls())
        view.controls.append(viewOf(control));
    for (const controls::Readout &readout : followed->readouts())
        view.readouts.append(readout.labels.isEmpty() || readout.labels.front()->accessibleName().isEmpty()
                                     ? readout.name
                                     : readout.labels.front()->accessibleName());
    view.presets = remote::presets::list(*followed);
    return view;
}

void ShownPanelAdapter::askMeterRate(int readingsPerSecond)
{
    meterRate = readingsPerSecond;
    if (followed)
        followed->askMeterRate(std::clamp(readingsPerSecond, controls::kPanelMeterRate, controls::kFastestMeterRate));
}

void ShownPanelAdapter::refuse(int client, const QString &why)
{
    emit replied(client, Reply {true, why, {}});
}

} // namespace phone
