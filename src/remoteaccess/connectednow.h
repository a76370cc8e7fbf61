#pragma once

#include <QWidget>

class QPushButton;
class QTreeWidget;

namespace phone {
class PhoneService;
}
namespace surface {
class SurfaceServer;
}

namespace remoteaccess {

// Who is connected now: the control surfaces that subscribed, each of which
// may be disconnected (until it subscribes again), and the paired phones,
// each of which may be forgotten. Rows are kept and changed in place, so a
// screen reader's place in a list survives the once-a-second refresh.
class ConnectedNow : public QWidget
{
    Q_OBJECT

public:
    ConnectedNow(surface::SurfaceServer &surfaces, phone::PhoneService &phones, QWidget *parent = nullptr);

    void refresh();

private:
    void showSurfaces();
    void showPhones();
    void disconnectSurface();
    void forgetPhone();

    surface::SurfaceServer &surfaces;
    phone::PhoneService &phones;
    QTreeWidget *surfaceList;
    QTreeWidget *phoneList;
    QPushButton *disconnectButton;
    QPushButton *forgetButton;
};

} // namespace remoteaccess
