#pragma once

#include "droplog.h"
#include "oscendpoint.h"
#include "panelsurface.h"
#include "surfacesettings.h"

#include <protocol.h>

#include <QObject>
#include <QTimer>

class QWidget;

namespace surface {

// Control surfaces (OSC over UDP) for the running program: off until the
// user turns them on, from the command line or the tray, which both keep
// the choice in the surfaces' own settings file.
class SurfaceServer : public QObject
{
    Q_OBJECT

public:
    // A saved port that another program holds at start is tried again this often.
    static constexpr int kRetryMs = 5000;

    // root: the main window, below which the shown panel is found.
    explicit SurfaceServer(QWidget *root, QObject *parent = nullptr);

    // Serves as the settings file says.
    void start();
    // The command line's osc and osc-allow requests.
    remote::Answer command(const remote::Request &request);
    bool isOn() const { return endpoint.isOpen(); }
    // The saved port, on or off.
    quint16 port() const { return settings.port; }
    // Turns serving on at the saved port, or off; the answer tells what came of it.
    remote::Answer switchOn(bool on);
    remote::Answer serve(bool on, quint16 port);
    // Besides this computer, the hosts of this network may send; the phone remote serves them too.
    const std::optional<Network> &allowedNetwork() const { return settings.allowed; }
    remote::Answer allow(const std::optional<Network> &network);
    // The surfaces that subscribed over OSC.
    QList<Subscribers::Subscription> subscriptions();
    // The OSC surface's subscription at host:port, until it subscribes again.
    void dropSubscription(const QHostAddress &host, quint16 port);
    // After the window shows another panel or none.
    void followPanel();
    // The surfaces' seam, for other transports (the phone's page) to plug onto.
    PanelSurface &seam() { return panel; }
    // Only the session at the console drives the interface, so only its
    // program holds the port: another user's program may want the same one.
    void setAtConsole(bool atConsole);

signals:
    // Whenever serving goes on or off, or the port changes.
    void switched(bool on);
    // Serving is on, but the saved port could not be had: tried again every kRetryMs.
    void unavailable(const answers::Sentence &why);
    // The saved allowed network changed (--osc-allow); the phone remote serves it too.
    void allowedChanged();

private:
    remote::Answer apply(const SurfaceSettings &wanted);
    // Quietly: the user asked for nothing just now.
    void reopen();
    QString stateText() const;
    void retry();

    SurfaceSettings settings;
    bool atConsole = true;
    // Why the saved port could not be had, while it is tried again.
    QString busy;
    QTimer retrying;
    DropLog log;
    OscEndpoint endpoint;
    PanelSurface panel;
};

} // namespace surface
