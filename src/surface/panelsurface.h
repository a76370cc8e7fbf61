#pragma once

#include "addresses.h"
#include "changethrottle.h"
#include "droplog.h"
#include "statepacer.h"
#include "subscribers.h"

#include <controltable.h>
#include <sentence.h>

#include <QPointer>
#include <QWidget>

namespace surface {

class OscEndpoint;

// The shown panel as control surfaces see it: their commands pass the safety
// gate to its controls, and every change of its controls, whatever made it,
// goes back to the subscribers with its level readouts.
class PanelSurface : public QObject
{
public:
    // root: the main window, below which the shown panel is found.
    PanelSurface(QWidget *root, OscEndpoint &endpoint, DropLog &log, QObject *parent = nullptr);

    // To be called as soon as the window shows another panel or none: the
    // subscribers hear of the model and every value, and commands go to it.
    void followPanel();
    void handle(const Message &message, const Peer &from);
    const controls::ControlTable *table() const { return followed; }

private:
    void change(const Command &command, const Peer &from);
    void subscribe(const Peer &subscriber, const Peer &from);
    void loadPreset(const QString &name, const Peer &from);
    void applyChange(const QString &control, int value);
    void refuse(const answers::Sentence &why, const Peer &to);
    void sendState(const QList<Peer> &to);
    void sendControl(const controls::Control &control, const QList<Peer> &to);
    void sendReadouts();

    QPointer<QWidget> rootWidget;
    QPointer<controls::ControlTable> followed;
    OscEndpoint &endpoint;
    DropLog &log;
    ChangeThrottle throttle;
    Subscribers subscribers;
    StatePacer states;
};

} // namespace surface
