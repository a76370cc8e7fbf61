#pragma once

#include <QProcess>
#include <QRect>

// A private X display (Xvfb) with a notification area (trayer), and the
// xdotool commands that a user's mouse and keyboard stand for.
class XSession
{
public:
    XSession();
    ~XSession();
    XSession(const XSession &) = delete;
    XSession &operator=(const XSession &) = delete;

    // A display with a notification area, or (withTray false) a bare one.
    bool start(bool withTray = true);
    QString display() const { return displayName; }
    // The environment entries a program needs to open its windows here.
    QStringList environment() const;

    // Window ids whose title matches the pattern (xdotool's regular expression).
    QStringList windows(const QString &namePattern, bool onlyVisible) const;
    QRect geometry(const QString &window) const;
    // The icon a program docked in the notification area, or an empty rectangle.
    QRect trayIcon(const QString &className) const;
    // A visible untitled pop-up (a menu) of the program, or an empty rectangle.
    // xdotool names an untitled window by its class; wine names it after the program.
    QRect popup(const QString &className, const QString &untitledName = {}) const;
    void click(const QPoint &at, int button) const;
    void moveMouse(const QPoint &to) const;
    void keys(const QStringList &names) const;

private:
    QString run(const QStringList &arguments) const;

    QProcess server;
    QProcess tray;
    QString displayName;
};
