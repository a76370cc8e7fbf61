#pragma once

#include <QObject>

class QSystemTrayIcon;

namespace globalkeys {

// The mouse wheel over the tray icon, where the platform delivers it: an
// XEmbed notification area on X11 (trayer, XFCE's, MATE's). Windows'
// notification area and the StatusNotifierItem hosts (KDE, GNOME's extension)
// give a Qt tray icon no wheel.
class TrayWheel : public QObject
{
    Q_OBJECT

public:
    explicit TrayWheel(QSystemTrayIcon *icon);

signals:
    // Whole notches, away from the user (up) positive.
    void stepped(int notches);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int eighthsOfDegree = 0; // turned so far short of a whole notch (touchpads send less at a time)
};

} // namespace globalkeys
