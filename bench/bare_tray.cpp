// The least a Qt Widgets tray program can be: the same icon in the
// notification area with a one-entry menu, and nothing else. peers.sh measures
// it as the floor of KorvistDriver's memory and idle CPU.

#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMenu menu;
    menu.addAction(QStringLiteral("Quit"), &app, &QCoreApplication::quit);
    QSystemTrayIcon tray(QIcon(QStringLiteral(":/icon/icon.png")));
    tray.setContextMenu(&menu);
    tray.show();
    return app.exec();
}
