#pragma once

#include <QPointer>
#include <QSystemTrayIcon>

#include <memory>

class QAction;
class QMenu;

namespace remote {
enum class Verb;
}
namespace phone {
class PhoneService;
}
namespace shortcuts {
class ShortcutService;
}
namespace surface {
class SurfaceServer;
}

// The program's place in the notification area: brings the main window back
// and offers the program's few commands.
class TrayIcon : public QSystemTrayIcon
{
    Q_OBJECT

public:
    explicit TrayIcon(QObject *parent = nullptr);
    ~TrayIcon() override;

    void setMainWindow(QWidget *window);
    void createMenu();
    // Offers the control surfaces' switch, which follows the server however it is switched.
    void setSurfaces(surface::SurfaceServer *server);
    // With the surfaces, offers "Remote Access...".
    void setPhones(phone::PhoneService *service);
    // Offers "Keyboard Shortcuts...", and lets the icon's wheel and middle click work the media keys' output.
    void setShortcuts(shortcuts::ShortcutService *service);

    QWidget *settingsWindow = nullptr;

private slots:
    void showSettings();
    void clickCallback(QSystemTrayIcon::ActivationReason reason);
    void openSoundPannel();
    void refreshDeviceList();

private:
    void showMainWindow();
    void upgradeFirmware();
    void fillPresetsMenu();
    void runPresetRequest(remote::Verb verb, const QString &name);
    void saveCurrentAsPreset();
    void showVolumeLimits();
    void switchSurfaces(bool on);
    void showRemoteAccess();
    void showKeyboardShortcuts();
    QWidget *shownMainWindow() const;

    QWidget *mainWindow = nullptr;
    // The context menu has no parent (a tray icon is no widget), so it is ours to delete.
    std::unique_ptr<QMenu> menu;
    QMenu *presetsMenu = nullptr;
    QAction *surfacesAction = nullptr;
    QAction *remoteAccessAction = nullptr;
    QAction *shortcutsAction = nullptr;
    // Built when first asked for, and gone again when closed.
    QPointer<QWidget> remoteAccess;
    QPointer<QWidget> keyboardShortcuts;
    shortcuts::ShortcutService *shortcutKeys = nullptr;
    phone::PhoneService *phones = nullptr;
    surface::SurfaceServer *surfaces = nullptr;
};
