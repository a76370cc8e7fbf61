#pragma once

#include "droplog.h"
#include "oscendpoint.h"
#include "panelsurface.h"
#include "surfacesettings.h"

#include <protocol.h>

#include <QObject>

class QWidget;

namespace surface {

// Control surfaces (OSC over UDP) for the running program: off until the
// user turns them on, from the command line or the tray, which both keep
// the choice in the surfaces' own settings file.
class SurfaceServer : public QObject
{
    Q_OBJECT

public:
    // root: the main window, below which the shown panel is found.
    explicit SurfaceServer(QWidget *root, QObject *parent = nullptr);

    // Serves as the settings file says.
    void start();
    // The command line's osc and osc-allow requests.
    remote::Answer command(const remote::Request &request);
    bool isOn() const { return endpoint.isOpen(); }
    // Turns serving on at the saved port, or off; the answer tells what came of it.
    remote::Answer switchOn(bool on);
    // After the window shows another panel or none.
    void followPanel();
    // The surfaces' seam, for other transports (the phone's page) to plug onto.
    PanelSurface &seam() { return panel; }
    // Only the session at the console drives the interface, so only its
    // program holds the port: another user's program may want the same one.
    void setAtConsole(bool atConsole);

signals:
    void switched(bool on);

private:
    remote::Answer apply(const SurfaceSettings &wanted);
    // Quietly: the user asked for nothing just now.
    void reopen();
    QString stateText() const;

    SurfaceSettings settings;
    bool atConsole = true;
    DropLog log;
    OscEndpoint endpoint;
    PanelSurface panel;
};

} // namespace surface
