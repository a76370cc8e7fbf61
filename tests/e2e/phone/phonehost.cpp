// The window with the phone remote beside it, for the browser tests while the
// program itself does not start the remote: the main window finds the
// simulated interface as the program does, the remote's own parts serve it,
// and the per-user channel takes --set from a second start.
// Usage: korvist-phone-host PORT [NETWORK]. Standard output tells the
// address and every pairing code; a line "forget" on standard input forgets
// every paired phone, as the dialog's Forget button does one.
#include <accessibility.h>
#include <mainwindow.h>
#include <pairedphones.h>
#include <phoneremotedialog.h>
#include <phoneserver.h>
#include <remoteserver.h>
#include <settings.h>
#include <shownpaneladapter.h>
#include <surfacesettings.h>

#include <QApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    accessibility::install();
    const QStringList arguments = QCoreApplication::arguments();
    Settings settingsDialog;
    MainWindow window;
    window.settingsDialog = &settingsDialog;
    phone::ShownPanelAdapter panel(&window);
    QObject::connect(&window, &MainWindow::panelChanged, &panel, &phone::ShownPanelAdapter::followPanel);
    phone::PairedPhones phones;
    phone::PhoneServer server(panel, phones);
    phone::PhoneApprovalPrompt prompt(server);
    remote::RemoteServer remoteServer(&window);
    remoteServer.listen();

    const auto print = [](const QString &line) { std::printf("%s\n", qPrintable(line)); std::fflush(stdout); };
    QObject::connect(&server.pairingCode(), &phone::PairingCode::changed, [&](const QString &code) {
        print(QStringLiteral("pairing code %1").arg(code));
    });
    QString error;
    const std::optional<surface::Network> allowed =
            arguments.size() > 2 ? surface::parseNetwork(arguments.at(2)) : std::nullopt;
    if (!server.start(quint16(arguments.value(1).toUInt()), allowed, error)) {
        print(error);
        return 1;
    }
    print(QStringLiteral("serving %1").arg(server.address()));
    print(QStringLiteral("pairing code %1").arg(server.pairingCode().current()));

    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        std::string line;
        if (!std::getline(std::cin, line))
            return QCoreApplication::quit();
        if (line == "forget")
            for (const phone::PairedPhone &phone : phones.phones())
                phones.forget(phone.id);
    });
    window.show();
    return app.exec();
}
