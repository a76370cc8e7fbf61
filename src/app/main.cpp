#include "mainwindow.h"
#include "singleinstance.h"
#include "terminationrequests.h"
#include "translation.h"
#include "trayicon.h"

#include <accessibility.h>
#include <announcer.h>
#include <commandline.h>
#include <phoneservice.h>
#include <remoteserver.h>
#include <runtimedir.h>
#include <settings.h>
#include <shortcutservice.h>
#include <surfaceserver.h>

#include <QApplication>
#include <QDebug>
#include <QLocale>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTranslator>

#include <cstdio>

int main(int argc, char **argv)
{
    // A command for the running instance, the help and a refusal need no
    // display: they may come from a shutdown script or a session without one.
    QStringList options;
    for (int i = 1; i < argc; ++i)
        options << QString::fromLocal8Bit(argv[i]);
    if (const remote::Start start = remote::classify(options); start != remote::Start::Window) {
        // Qt's own list: on Windows it keeps what the system code page cannot.
        const QCoreApplication client(argc, argv);
        return remote::runWithoutWindow(start, QCoreApplication::arguments().mid(1), surface::kDefaultPort, surface::kDefaultPhonePort);
    }
    // Without a private place for its endpoints it would find no device and serve no pipe.
    if (std::string problem; !platform::checkEndpointDir(problem)) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 1;
    }

    QApplication app(argc, argv);
    accessibility::install();
    quitOnTerminationRequests(app);

    SingleInstance instance;
    QTranslator translator;
    switch (instance.claim()) {
    case SingleInstance::Outcome::AlreadyRunning:
        remote::showRunningInstance();
        QCoreApplication::quit();
        return 0;
    case SingleInstance::Outcome::Failed:
        return -1;
    case SingleInstance::Outcome::First:
        break;
    }

    translation::install(translator, QLocale::system().name(), QCoreApplication::applicationDirPath());

    const QPixmap appIcon(QStringLiteral(":/icon/icon.ico"));
    if (!appIcon.isNull())
        QApplication::setWindowIcon(QIcon(appIcon));

    Settings settingsDialog;
    MainWindow mainWindow;
    mainWindow.settingsDialog = &settingsDialog;
    surface::SurfaceServer surfaces(&mainWindow);
    QObject::connect(&mainWindow, &MainWindow::panelChanged, &surfaces, &surface::SurfaceServer::followPanel);
    surfaces.setAtConsole(mainWindow.atConsole());
    QObject::connect(&mainWindow, &MainWindow::atConsoleChanged, &surfaces, &surface::SurfaceServer::setAtConsole);
    phone::PhoneService phones(surfaces.seam());
    phones.setAtConsole(mainWindow.atConsole());
    QObject::connect(&mainWindow, &MainWindow::atConsoleChanged, &phones, &phone::PhoneService::setAtConsole);
    QObject::connect(&surfaces, &surface::SurfaceServer::allowedChanged, &phones, &phone::PhoneService::followAllowedNetwork);
    TrayIcon trayIcon;
    trayIcon.setMainWindow(&mainWindow);
    trayIcon.settingsWindow = &settingsDialog;
    trayIcon.setSurfaces(&surfaces);
    trayIcon.setPhones(&phones);
    trayIcon.setVisible(true);
    shortcuts::ShortcutService shortcutKeys(&mainWindow);
    QObject::connect(&mainWindow, &MainWindow::panelChanged, &shortcutKeys, &shortcuts::ShortcutService::followPanel);
    shortcutKeys.display().setTrayIcon(&trayIcon);
    trayIcon.setShortcuts(&shortcutKeys);
    remote::RemoteServer remoteServer(&mainWindow);
    remoteServer.serviceCommand = [&surfaces, &phones, &shortcutKeys](const remote::Request &request) {
        if (request.verb == remote::Verb::Hotkey || request.verb == remote::Verb::MediaKeys)
            return shortcutKeys.command(request);
        return request.verb == remote::Verb::Web ? phones.command(request) : surfaces.command(request);
    };
    remoteServer.listen();
    // The ways in, announced on the network while they serve one: with this
    // computer alone allowed, no one else could use them and the name would
    // only leak. Queued, so that each is read once its switch is over.
    announce::Announcer announcer;
    const auto announceWaysIn = [&] {
        const bool networkAllowed = surfaces.allowedNetwork().has_value();
        if (networkAllowed && surfaces.isOn())
            announcer.announce(QStringLiteral("_osc._udp"), surfaces.port());
        else
            announcer.withdraw(QStringLiteral("_osc._udp"));
        if (networkAllowed && phones.isOn())
            announcer.announce(QStringLiteral("_http._tcp"), phones.port());
        else
            announcer.withdraw(QStringLiteral("_http._tcp"));
    };
    QObject::connect(&surfaces, &surface::SurfaceServer::switched, &announcer, announceWaysIn, Qt::QueuedConnection);
    QObject::connect(&surfaces, &surface::SurfaceServer::allowedChanged, &announcer, announceWaysIn,
                     Qt::QueuedConnection);
    QObject::connect(&phones, &phone::PhoneService::switched, &announcer, announceWaysIn, Qt::QueuedConnection);
    surfaces.start();
    phones.start();
    shortcutKeys.start();

    // Without a notification area nothing could ever show a window that
    // starts hidden, so there the window shows itself.
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        mainWindow.show();

    return app.exec();
}
