#include "panelsurface.h"

#include "commandvalue.h"
#include "nearname.h"
#include "taper.h"

#include <ceilings.h>
#include <controltable.h>
#include <presets.h>
#include <safetygate.h>

#include <QLabel>
#include <QWidget>

namespace surface {

namespace {

using answers::Sentence;
using controls::Control;
using controls::ControlTable;
using safetygate::Way;

const Reply kNoInterface {true, Sentence(QT_TRANSLATE_NOOP("Answer", "no interface connected")), Refusal::NoInterface};

ControlState stateOf(const Control &control)
{
    ControlState state;
    state.name = control.name();
    state.label = control.label();
    state.group = control.section();
    state.kind = control.kind;
    state.minimum = control.minimum();
    state.maximum = control.maximum();
    state.ceiling = control.ceiling();
    state.value = control.value();
    state.shown = control.shownValue();
    if (control.knob)
        state.fader = faderPosition(control, state.value);
    if (control.knob && state.ceiling)
        state.ceilingFader = faderPosition(control, *state.ceiling);
    return state;
}

// A value above the user's limit is told apart; the page sends no other
// value a control does not take, so the sentence says why for the rest.
Reply valueRefusal(const Control &control, const QString &text, const Sentence &why)
{
    Reply reply {true, why};
    const std::optional<int> asked = safetygate::parseWholeNumber(text);
    const std::optional<int> ceiling = control.ceiling();
    if (asked && ceiling && *asked > *ceiling && *asked <= control.maximum()) {
        reply.why = Refusal::AboveLimit;
        reply.limit = *ceiling;
    }
    return reply;
}

Reply presetRefusal(const remote::Answer &loaded, const QString &name, const QStringList &presets)
{
    const Refusal why = loaded.code == remote::DeviceRefused ? Refusal::InterfaceRefused
                      : presets.contains(name)               ? Refusal::PresetUnfit
                                                             : Refusal::NoPreset;
    return Reply {true, loaded.text, why, 0, name};
}

} // namespace

PanelSurface::PanelSurface(QWidget *root, DropLog &dropLog, QObject *parent)
    : QObject(parent)
    , rootWidget(root)
    , log(dropLog)
    , throttle([this](const QString &control, int value) { applyChange(control, value); })
    , states([this](const QList<Peer> &to) { sendState(to); })
{
    settling.setSingleShot(true);
    connect(&settling, &QTimer::timeout, this, &PanelSurface::settle);
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
    drags.clear();
    if (table) {
        connect(table, &ControlTable::changed, this, &PanelSurface::controlChanged);
        connect(table, &ControlTable::metersRead, this, &PanelSurface::sendLevels);
        connect(table, &ControlTable::ceilingChanged, this, &PanelSurface::ceilingChanged);
        followMeterRate();
    }
    sendState(subscribers.live());
}

void PanelSurface::handle(const Command &command, const Peer &from)
{
    switch (command.kind) {
    case Command::Kind::Refresh:
        for (const Peer &peer : answered(from))
            if (!states.request(peer))
                log.count(DropLog::OverBudget);
        return;
    case Command::Kind::Subscribe:
        return subscribe(Peer {from.via, from.host, quint16(command.number)}, from);
    case Command::Kind::Unsubscribe:
        subscribers.remove(Peer {from.via, from.host, quint16(command.number)});
        return followMeterRate();
    case Command::Kind::Meters:
        return askMeterRate(command, from);
    case Command::Kind::PresetLoad:
        return loadPreset(command.text.value_or(QString()), from);
    case Command::Kind::List:
        if (!followed)
            return refuse(kNoInterface, from);
        return answer(Listing {state().controls}, from);
    case Command::Kind::Presets:
        if (!followed)
            return refuse(kNoInterface, from);
        return answer(PresetList {presets()}, from);
    case Command::Kind::Ping:
        return answer(Pong {followed ? followed->model() : QString()}, from);
    case Command::Kind::Value:
    case Command::Kind::Fader:
    case Command::Kind::Toggle:
        return change(command, from);
    }
}

void PanelSurface::refuseUnknown(const Sentence &why, const QString &said, const Peer &from)
{
    log.unknown(said);
    answer(Reply {true, why}, from);
}

void PanelSurface::hangUp(const Peer &peer)
{
    subscribers.remove(peer);
    followMeterRate();
}

State PanelSurface::state() const
{
    State state;
    if (!followed)
        return state;
    state.model = followed->model();
    for (const Control &control : followed->controls())
        state.controls.push_back(stateOf(control));
    for (const controls::Readout &readout : followed->readouts()) {
        state.readouts << readout.name;
        std::vector<ReadoutPlace> places;
        for (const QLabel *shownOn : readout.labels) {
            const QString label = shownOn->accessibleName();
            places.push_back({shownOn->property(controls::kSectionProperty).toString(),
                              label.isEmpty() ? readout.name : label});
        }
        state.readoutPlaces.push_back(places);
    }
    return state;
}

QStringList PanelSurface::presets() const
{
    return followed ? remote::presets::list(*followed) : QStringList();
}

void PanelSurface::change(const Command &command, const Peer &from)
{
    if (!followed)
        return refuse(kNoInterface, from);
    const Control *control = followed->find(command.control);
    if (!control) {
        log.unknown(command.said);
        const std::optional<QString> meant = nearestName(command.control, followed->names());
        return answer(Reply {true, meant ? Sentence(QT_TRANSLATE_NOOP("Answer", "no control named \"%1\" on the %2: "
                                                                                "did you mean %3?"))
                                                   .arg(command.control)
                                                   .arg(followed->model())
                                                   .arg(*meant)
                                             : Sentence(QT_TRANSLATE_NOOP("Answer", "no control named \"%1\" on the "
                                                                                    "%2; /korvist/list names every "
                                                                                    "control"))
                                                   .arg(command.control)
                                                   .arg(followed->model())},
                      from);
    }
    const auto text = valueText(*control, command, throttle.waiting(control->name()));
    if (const Sentence *unfit = std::get_if<Sentence>(&text))
        return refuse(*unfit, from);
    Sentence refusal;
    const std::optional<int> value = safetygate::parseValue(*control, std::get<QString>(text), Way::Surface, refusal);
    if (!value)
        return refuse(valueRefusal(*control, std::get<QString>(text), refusal), from);
    if (const std::optional<Sentence> refused = safetygate::refuseChange(*control, *value, Way::Surface))
        return refuse(Reply {true, *refused,
                             control->kind == controls::Kind::PhantomPower ? Refusal::PhantomPower : Refusal::Other},
                      from);
    if (command.kind == Command::Kind::Fader) {
        Drag &drag = drags[control->name()];
        drag.mover = from;
        drag.moved.start();
        if (!settling.isActive())
            settling.start(kSettleMs);
    }
    throttle.request(control->name(), *value);
}

void PanelSurface::subscribe(const Peer &subscriber, const Peer &from)
{
    // Its own feedback read back as commands would write to the device for as long as the lease lasts.
    if (subscriber.via && subscriber.via->isOwnSocket(subscriber.host, subscriber.port))
        return refuse(Sentence(QT_TRANSLATE_NOOP("Answer", "port %1 is Korvist Mixer's own: subscribe the port your "
                                                           "surface listens on"))
                          .arg(int(subscriber.port)),
                      from);
    switch (subscribers.renew(subscriber)) {
    case Subscribers::Renewal::Full:
        return refuse(Sentence(QT_TRANSLATE_NOOP("Answer", "%1 surfaces are subscribed already")).arg(Subscribers::kMaximum),
                      from);
    case Subscribers::Renewal::HostFull:
        return refuse(
            Sentence(QT_TRANSLATE_NOOP("Answer", "%1 surfaces of this host are subscribed already")).arg(Subscribers::kPerHost),
            from);
    case Subscribers::Renewal::Added:
        if (!states.request(subscriber))
            log.count(DropLog::OverBudget);
        return;
    case Subscribers::Renewal::Renewed:
        // The lease goes on; the values it was sent are still true, or their changes followed.
        return;
    }
}

void PanelSurface::askMeterRate(const Command &command, const Peer &from)
{
    if (!subscribers.askMeterRate(from, int(command.number)))
        return refuse(Sentence(QT_TRANSLATE_NOOP("Answer", "levels go to subscriptions: subscribe first, then ask "
                                                           "for %1 readings a second"))
                          .arg(int(command.number)),
                      from);
    followMeterRate();
}

void PanelSurface::loadPreset(const QString &name, const Peer &from)
{
    if (!followed)
        return refuse(kNoInterface, from);
    if (const std::optional<Sentence> refused = remote::presets::nameRefusal(name))
        return refuse(*refused, from);
    throttle.requestPreset([this, name, from] {
        if (!followed)
            return;
        const remote::Answer loaded = remote::presets::load(*followed, name);
        if (loaded.code != remote::Done)
            return refuse(presetRefusal(loaded, name, presets()), from);
        answer(Reply {false, loaded.text}, from);
    });
}

void PanelSurface::applyChange(const QString &name, int value)
{
    const Control *control = followed ? followed->find(name) : nullptr;
    if (!control)
        return;
    // Checked again as it is made: a hand may have switched 48 V off meanwhile.
    const int step = safetygate::nextStep(*control, value, Way::Surface);
    if (const std::optional<Sentence> refused = safetygate::refuseChange(*control, step, Way::Surface))
        return log.refused(refused->english());
    applying = true;
    control->apply(step);
    applying = false;
    // The rest of a raise follows a step at a time, spaced as a drag's values are.
    if (step != value && followed)
        throttle.request(name, value);
}

void PanelSurface::refuse(const Sentence &why, const Peer &to)
{
    refuse(Reply {true, why}, to);
}

void PanelSurface::refuse(const Reply &reply, const Peer &to)
{
    log.refused(reply.text.english());
    answer(reply, to);
}

void PanelSurface::answer(const Outgoing &item, const Peer &from)
{
    send(item, answered(from));
}

QList<Peer> PanelSurface::answered(const Peer &from)
{
    QList<Peer> to {from};
    for (const Peer &subscriber : subscribers.ofHost(from))
        if (subscriber.port != from.port)
            to.append(subscriber);
    return to;
}

void PanelSurface::sendState(const QList<Peer> &to)
{
    send(state(), to);
}

// Each transport encodes the item once; each message is paid for from the
// budget of the host it goes to, and what the budget does not hold is dropped.
void PanelSurface::send(const Outgoing &item, const QList<Peer> &to)
{
    QHash<Transport *, QByteArrayList> encoded;
    for (const Peer &peer : to) {
        if (!peer.via)
            continue;
        auto messages = encoded.find(peer.via);
        if (messages == encoded.end())
            messages = encoded.insert(peer.via, peer.via->encode(item));
        for (const QByteArray &message : std::as_const(*messages)) {
            if (budget.spend(peer.host, message.size()))
                peer.via->deliver(message, peer);
            else
                log.count(DropLog::OverBudget);
        }
    }
}

void PanelSurface::controlChanged(const Control &control)
{
    // A hand or a script turned it since: the rest of a surface's raise must not undo that.
    if (!applying)
        throttle.drop(control.name());
    QList<Peer> to = subscribers.live();
    const auto drag = drags.constFind(control.name());
    if (drag != drags.cend())
        to.removeIf([&drag](const Peer &peer) { return peer.via == drag->mover.via && peer.host == drag->mover.host; });
    send(stateOf(control), to);
}

// Every surface hears of it, the mover of a drag too: its fader's travel
// ends at the ceiling.
void PanelSurface::ceilingChanged(const Control &control)
{
    if (followed && followed->find(control.name()) == &control)
        send(stateOf(control), subscribers.live());
}

// A mover that has let go hears where its control settled.
void PanelSurface::settle()
{
    qint64 soonest = kSettleMs;
    for (auto it = drags.begin(); it != drags.end();) {
        // A raise still going up in steps has not settled either.
        if (!it->moved.hasExpired(kSettleMs) || throttle.waiting(it.key())) {
            const qint64 left = kSettleMs - it->moved.elapsed();
            soonest = std::min(soonest, left > 0 ? left : qint64(ChangeThrottle::kIntervalMs));
            ++it;
            continue;
        }
        const Control *control = followed ? followed->find(it.key()) : nullptr;
        const Peer mover = it->mover;
        it = drags.erase(it);
        if (control)
            send(stateOf(*control), subscribers.ofHost(mover));
    }
    if (!drags.isEmpty())
        settling.start(int(std::max<qint64>(soonest, 1)));
}

void PanelSurface::sendLevels(const MeterBlock &meters)
{
    followMeterRate();
    const QList<Peer> due = subscribers.dueForLevels();
    if (due.isEmpty() || !followed)
        return;
    Levels levels;
    for (const controls::Readout &readout : followed->readouts()) {
        const double decibels = readout.decibelsIn(meters);
        levels.push_back({readout.name, decibels, meterPosition(decibels)});
    }
    send(levels, due);
}

// The table reads as fast as the fastest live subscription asked, and at the
// panel's own rate once none asks.
void PanelSurface::followMeterRate()
{
    if (followed)
        followed->askMeterRate(subscribers.fastestMeterRate());
}

} // namespace surface
