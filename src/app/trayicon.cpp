#include "trayicon.h"

#include "mainwindow.h"
#include "presetnamedialog.h"
#include "volumelimitsdialog.h"

#include <bringtofront.h>
#include <controltable.h>
#include <keyboardshortcutsdialog.h>
#include <korvistiocontrol.h>
#include <phoneservice.h>
#include <presets.h>
#include <remoteaccessdialog.h>
#include <remotecontrol.h>
#include <shell.h>
#include <shortcutservice.h>
#include <surfaceserver.h>
#include <traywheel.h>

#include <QAction>
#include <QCoreApplication>
#include <QDebug>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QProcess>

namespace {
constexpr int kRefreshTimeoutMs = 5000;
} // namespace

TrayIcon::TrayIcon(QObject *parent)
    : QSystemTrayIcon(parent)
{
    // Through QPixmap, whose cache hands out the image that the windows have
    // already decoded, instead of a copy of its own (256 x 256, 256 KB).
    setIcon(QIcon(QPixmap(QStringLiteral(":/icon/icon.png"))));
    createMenu();
    connect(this, &QSystemTrayIcon::activated, this, &TrayIcon::clickCallback);
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::setMainWindow(QWidget *window)
{
    if (!window)
        return;
    mainWindow = window;
    if (auto *main = qobject_cast<MainWindow *>(window))
        main->setMenuEntries(menu->actions());
}

void TrayIcon::createMenu()
{
    menu = std::make_unique<QMenu>();
    auto *version = new QAction(QStringLiteral(KORVIST_VERSION_TEXT), this);
    auto *quit = new QAction(tr("Quit"), this);
    auto *setup = new QAction(tr("Setup"), this);
    auto *showMain = new QAction(tr("Main Window"), this);
    auto *upgrade = new QAction(tr("Upgrade Firmware"), this);
    auto *refresh = new QAction(tr("Refresh Audio Device"), this);
    auto *soundPanel = new QAction(tr("Win Sound Pannel"), this);

    menu->addAction(version);
    menu->addAction(quit);
    menu->addSeparator();
    menu->addAction(setup);
    menu->addAction(showMain);
    menu->addAction(upgrade);
    menu->addAction(refresh);
    menu->addAction(soundPanel);
    menu->addSeparator();
    menu->addSeparator();
    // Off until the program hands its surfaces and phone remote over.
    remoteAccessAction = menu->addAction(tr("Remote Access..."));
    remoteAccessAction->setEnabled(false);
    connect(remoteAccessAction, &QAction::triggered, this, &TrayIcon::showRemoteAccess);
    connect(menu->addAction(tr("Volume Limits...")), &QAction::triggered, this, &TrayIcon::showVolumeLimits);
    // Off until the program hands its shortcuts over.
    shortcutsAction = menu->addAction(tr("Keyboard Shortcuts..."));
    shortcutsAction->setEnabled(false);
    connect(shortcutsAction, &QAction::triggered, this, &TrayIcon::showKeyboardShortcuts);
    // Filled as it opens: the interface, and so the presets, may have changed since.
    presetsMenu = menu->addMenu(tr("Presets"));
    connect(presetsMenu, &QMenu::aboutToShow, this, &TrayIcon::fillPresetsMenu);
    // Off and inactive until the server is there to switch.
    surfacesAction = menu->addAction(tr("Control Surfaces (OSC)"));
    surfacesAction->setCheckable(true);
    surfacesAction->setEnabled(false);
    connect(surfacesAction, &QAction::triggered, this, &TrayIcon::switchSurfaces);
    version->setEnabled(false);
    setContextMenu(menu.get());

    // exit(), not quit(): since Qt 6 quit() first asks every window to close,
    // and the main window refuses (it only hides while a tray exists), so
    // "Quit" would do nothing whenever the window is open.
    connect(quit, &QAction::triggered, qApp, [] { QCoreApplication::exit(0); });
    connect(setup, &QAction::triggered, this, &TrayIcon::showSettings);
    connect(showMain, &QAction::triggered, this, [this] { showMainWindow(); });
    connect(upgrade, &QAction::triggered, this, [this] { upgradeFirmware(); });
    connect(refresh, &QAction::triggered, this, &TrayIcon::refreshDeviceList);
    connect(soundPanel, &QAction::triggered, this, &TrayIcon::openSoundPannel);
    QGuiApplication::setQuitOnLastWindowClosed(false);
}

void TrayIcon::clickCallback(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger)
        showMainWindow();
    else if (reason == QSystemTrayIcon::MiddleClick && shortcutKeys)
        shortcutKeys->toggleMuteByTray();
}

void TrayIcon::showMainWindow()
{
    if (!mainWindow) {
        QMessageBox::warning(nullptr, QStringLiteral("警告"), QStringLiteral("主窗口未设置，请先设置主窗口。"));
        return;
    }
    bringToFront(mainWindow);
}

void TrayIcon::showSettings()
{
    if (!settingsWindow) {
        QMessageBox::warning(nullptr, QStringLiteral("警告"), QStringLiteral("设置窗口未设置，请先设置设置窗口。"));
        return;
    }
    settingsWindow->show();
    settingsWindow->raise();
    settingsWindow->activateWindow();
}

void TrayIcon::upgradeFirmware()
{
    KorvistIoControl device;
    if (!device.open()) {
        qDebug() << "Failed to create device in rk1.";
        return;
    }
    device.upgradeFirmware();
}

void TrayIcon::fillPresetsMenu()
{
    presetsMenu->clear();
    const controls::ControlTable *table = controls::shownTable(mainWindow);
    for (const QString &name : table ? remote::presets::list(*table) : QStringList()) {
        connect(presetsMenu->addAction(name), &QAction::triggered, this,
                [this, name] { runPresetRequest(remote::Verb::PresetLoad, name); });
    }
    presetsMenu->addSeparator();
    QAction *save = presetsMenu->addAction(tr("Save current as..."));
    save->setEnabled(table != nullptr);
    connect(save, &QAction::triggered, this, &TrayIcon::saveCurrentAsPreset);
}

void TrayIcon::saveCurrentAsPreset()
{
    PresetNameDialog dialog(shownMainWindow());
    if (dialog.exec() == QDialog::Accepted)
        runPresetRequest(remote::Verb::PresetSave, dialog.name());
}

void TrayIcon::runPresetRequest(remote::Verb verb, const QString &name)
{
    // The same request a script sends, so the menu and the command line cannot differ.
    const remote::Answer answer = remote::execute(mainWindow, {verb, name});
    const QString shown = answer.text.translated();
    if (answer.code != remote::Done)
        QMessageBox::warning(shownMainWindow(), tr("Presets"), shown);
    else if (QSystemTrayIcon::isSystemTrayAvailable() && isVisible() && supportsMessages())
        showMessage(tr("Presets"), shown);
    else
        QMessageBox::information(shownMainWindow(), tr("Presets"), shown);
}

void TrayIcon::showVolumeLimits()
{
    VolumeLimitsDialog dialog(mainWindow, shownMainWindow());
    if (auto *main = qobject_cast<MainWindow *>(mainWindow))
        connect(main, &MainWindow::panelChanged, &dialog, &VolumeLimitsDialog::followPanel);
    dialog.exec();
}

void TrayIcon::setPhones(phone::PhoneService *service)
{
    phones = service;
    remoteAccessAction->setEnabled(phones && surfaces);
}

void TrayIcon::showRemoteAccess()
{
    if (!remoteAccess) {
        remoteAccess = new remoteaccess::RemoteAccessDialog(*surfaces, *phones, shownMainWindow());
        remoteAccess->setAttribute(Qt::WA_DeleteOnClose);
    }
    bringToFront(remoteAccess);
}

void TrayIcon::setShortcuts(shortcuts::ShortcutService *service)
{
    shortcutKeys = service;
    shortcutsAction->setEnabled(service != nullptr);
    if (service)
        connect(new globalkeys::TrayWheel(this), &globalkeys::TrayWheel::stepped, service,
                &shortcuts::ShortcutService::stepByWheel);
}

void TrayIcon::showKeyboardShortcuts()
{
    if (!keyboardShortcuts) {
        keyboardShortcuts = new shortcuts::KeyboardShortcutsDialog(*shortcutKeys, mainWindow, shownMainWindow());
        keyboardShortcuts->setAttribute(Qt::WA_DeleteOnClose);
    }
    bringToFront(keyboardShortcuts);
}

void TrayIcon::setSurfaces(surface::SurfaceServer *server)
{
    surfaces = server;
    surfacesAction->setEnabled(server != nullptr);
    remoteAccessAction->setEnabled(phones && surfaces);
    if (!server)
        return;
    const auto follow = [this] {
        surfacesAction->setChecked(surfaces->isOn());
        surfacesAction->setText(tr("Control Surfaces (OSC) on %1").arg(surfaces->port()));
    };
    follow();
    connect(server, &surface::SurfaceServer::switched, surfacesAction, follow);
    connect(server, &surface::SurfaceServer::unavailable, this, [this](const answers::Sentence &why) {
        showMessage(tr("Control Surfaces (OSC)"), why.translated(), QSystemTrayIcon::Warning);
    });
}

void TrayIcon::switchSurfaces(bool on)
{
    const remote::Answer answer = surfaces->switchOn(on);
    // The switch shows what the server does, which a taken port may keep off.
    surfacesAction->setChecked(surfaces->isOn());
    if (answer.code != remote::Done)
        QMessageBox::warning(shownMainWindow(), tr("Control Surfaces (OSC)"), answer.text.translated());
}

// A dialog over the window the user works in, or on its own when that is hidden.
QWidget *TrayIcon::shownMainWindow() const
{
    return mainWindow && mainWindow->isVisible() ? mainWindow : nullptr;
}

void TrayIcon::openSoundPannel()
{
    if (platform::openSoundControlPanel())
        qDebug() << "声音设置面板已打开。";
    else
        QMessageBox::warning(nullptr, QStringLiteral("错误"), QStringLiteral("无法打开声音设置面板，请检查系统设置。"));
}

void TrayIcon::refreshDeviceList()
{
    const platform::ShellCommand command = platform::audioRefreshCommand();
    QStringList arguments;
    for (const std::string &argument : command.arguments)
        arguments.append(QString::fromStdString(argument));

    QProcess process;
    process.start(QString::fromStdString(command.program), arguments, QIODevice::ReadWrite);
    const bool finished = process.waitForFinished(kRefreshTimeoutMs);
    if (!finished) {
        qWarning() << "重启资源管理器超时";
        qWarning() << "错误信息:" << process.errorString();
    }
    if (process.exitCode() != 0) {
        qWarning() << "命令执行失败，退出代码:" << process.exitCode();
        qWarning() << "输出:" << QString::fromLocal8Bit(process.readAllStandardOutput());
        qWarning() << "错误输出:" << QString::fromLocal8Bit(process.readAllStandardError());
    }
    if (finished && process.exitCode() == 0)
        qDebug() << "资源管理器已成功重启";
}
