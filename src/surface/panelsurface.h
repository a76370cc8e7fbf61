#pragma once

#include "changethrottle.h"
#include "command.h"
#include "droplog.h"
#include "replybudget.h"
#include "statepacer.h"
#include "subscribers.h"
#include "transport.h"

#include <controltable.h>
#include <sentence.h>

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace surface {

// The surfaces' seam: the shown panel as every control surface sees it,
// whichever transport carries it (see transport.h). A command passes the
// safety gate and the throttle to the control's own setter; every change of
// the panel's controls, whatever made it, goes to the subscribers, with the
// level readouts at the rate they asked for; every command is answered, to
// the client that sent it and to the subscriptions of its host (a client
// may listen on another port than it sends from), within the host's reply
// budget. A client moving a fader hears nothing of that control from its
// host until it has let go for kSettleMs, then the value it settled on.
class PanelSurface : public QObject
{
public:
    static constexpr int kSettleMs = 300;

    // root: the main window, below which the shown panel is found.
    PanelSurface(QWidget *root, DropLog &log, QObject *parent = nullptr);

    // To be called as soon as the window shows another panel or none: the
    // subscribers hear of the model and every value, and commands go to it.
    void followPanel();
    // A command from a client its transport allows.
    void handle(const Command &command, const Peer &from);
    // What a client sent that is no command, answered with why; said names it in the log.
    void refuseUnknown(const answers::Sentence &why, const QString &said, const Peer &from);
    // The client's connection ended: so does its subscription.
    void hangUp(const Peer &peer);

    const controls::ControlTable *table() const { return followed; }
    // The panel as it is now, for a transport that shows it whole on its own.
    State state() const;
    QStringList presets() const;
    // Who subscribed, for the user to see and drop.
    Subscribers &subscriptions() { return subscribers; }

private:
    struct Drag
    {
        Peer mover;
        QElapsedTimer moved;
    };

    void change(const Command &command, const Peer &from);
    void subscribe(const Peer &subscriber, const Peer &from);
    void askMeterRate(const Command &command, const Peer &from);
    void loadPreset(const QString &name, const Peer &from);
    void applyChange(const QString &control, int value);
    void refuse(const answers::Sentence &why, const Peer &to);
    void refuse(const Reply &reply, const Peer &to);
    // To the sender and to its host's subscriptions over the same transport.
    void answer(const Outgoing &item, const Peer &from);
    QList<Peer> answered(const Peer &from);
    void sendState(const QList<Peer> &to);
    void send(const Outgoing &item, const QList<Peer> &to);
    void controlChanged(const controls::Control &control);
    void ceilingChanged(const controls::Control &control);
    void settle();
    void sendLevels(const MeterBlock &meters);
    void followMeterRate();

    QPointer<QWidget> rootWidget;
    QPointer<controls::ControlTable> followed;
    DropLog &log;
    ReplyBudget budget;
    ChangeThrottle throttle;
    // Set while a change of the surfaces is being made, to tell it from a hand's or a script's.
    bool applying = false;
    Subscribers subscribers;
    StatePacer states;
    QHash<QString, Drag> drags;
    QTimer settling;
};

} // namespace surface
