#pragma once

#include <surfacesettings.h>

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace remote {
struct Answer;
}
namespace phone {
class PhoneService;
}
namespace surface {
class SurfaceServer;
}

namespace remoteaccess {

class ConnectedNow;
class NetworkChoice;

// "Remote Access...": both ways in from another device, set up where a user
// sees them. Who may connect (one setting for both, as --osc-allow), the
// control surfaces and the phone remote, each on or off at its port with
// what to type or scan, and who is connected now. Every change applies at
// once, as the command line's; what went wrong is said in a message box.
class RemoteAccessDialog : public QDialog
{
    Q_OBJECT

public:
    RemoteAccessDialog(surface::SurfaceServer &surfaces, phone::PhoneService &phones, QWidget *parent = nullptr);

protected:
    bool event(QEvent *event) override;

private:
    QWidget *whoMayConnect();
    QWidget *surfaceSection();
    QWidget *phoneSection();
    void showState();
    void showSurfaces();
    void showPhone();
    void allow(const std::optional<surface::Network> &network);
    // What came of a change: a failure is said; either way the window shows how things stand.
    void tell(const remote::Answer &answer);

    surface::SurfaceServer &surfaces;
    phone::PhoneService &phones;
    NetworkChoice *networkChoice;
    QCheckBox *surfacesOn;
    QSpinBox *surfacePort;
    QLabel *surfaceAddress;
    QPushButton *copyButton;
    QCheckBox *phoneOn;
    QSpinBox *phonePort;
    QLabel *phoneNeedsNetwork;
    NetworkChoice *phoneNetworkChoice;
    QLabel *phoneAddress;
    QLabel *qrCode;
    QLabel *pairingCode;
    ConnectedNow *connected;
};

} // namespace remoteaccess
