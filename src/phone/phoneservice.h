#pragma once

#include "pairedphones.h"
#include "phoneapprovalprompt.h"
#include "phoneserver.h"
#include "phonetransport.h"

#include <panelsurface.h>
#include <protocol.h>

#include <QObject>

// The phone remote as the running program offers it: off until the user
// turns it on (Remote Access, --web), which both keep in the
// remote's own settings file; it serves the network the control surfaces
// allow (--osc-allow), so one setting says which hosts may reach either,
// and reaches the panel through the surfaces' seam, as OSC does.
namespace phone {

class PhoneService : public QObject
{
    Q_OBJECT

public:
    // seam: the control surfaces' (SurfaceServer::seam()), which outlives this service.
    explicit PhoneService(surface::PanelSurface &seam, QObject *parent = nullptr);

    // Serves as the settings file says.
    void start();
    // The command line's web requests: none (the state), on [PORT], off, forget.
    remote::Answer command(const remote::Request &request);
    // Turns serving on at the saved port, or off; the answer tells what came of it.
    remote::Answer switchOn(bool on);
    remote::Answer serve(bool on, quint16 port);
    bool isOn() const { return server.isOn(); }
    // The saved port, on or off.
    quint16 port() const { return savedPort; }
    PhoneServer &phoneServer() { return server; }
    PairedPhones &pairedPhones() { return phones; }
    // Serves the saved allowed network from now on, if serving: a narrower
    // one must shut phones outside it out at once, not at the next start.
    void followAllowedNetwork();
    // After the window's session leaves or comes back to the console.
    void setAtConsole(bool atConsole);

signals:
    void switched(bool on);

private:
    remote::Answer apply(bool on, quint16 port);
    void serveAsChosen();
    QString stateText();

    PairedPhones phones;
    PhoneServer server;
    PhoneTransport transport;
    PhoneApprovalPrompt approvals;
    quint16 savedPort = PhoneServer::kDefaultPort;
    bool wantedOn = false;
    bool atConsole = true;
};

} // namespace phone
