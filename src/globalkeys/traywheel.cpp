#include "traywheel.h"

#include <QSystemTrayIcon>
#include <QWheelEvent>

namespace globalkeys {

namespace {
constexpr int kNotch = 120;
}

TrayWheel::TrayWheel(QSystemTrayIcon *icon)
    : QObject(icon)
{
    // Qt's X11 tray icon passes the wheel over its docked window on to the
    // QSystemTrayIcon itself as an event, though no signal tells of it.
    icon->installEventFilter(this);
}

bool TrayWheel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Wheel)
        return QObject::eventFilter(watched, event);
    eighthsOfDegree += static_cast<QWheelEvent *>(event)->angleDelta().y();
    const int notches = eighthsOfDegree / kNotch;
    eighthsOfDegree -= notches * kNotch;
    if (notches)
        emit stepped(notches);
    return true;
}

} // namespace globalkeys
