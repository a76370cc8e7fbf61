#pragma once

#include "devicemodel.h"

#include <QMainWindow>

#include <cstdint>

class KorvistIoControl;
class QAction;
class QLabel;
class Settings;
class SpokenMenu;
class QTimer;
class QVBoxLayout;

// Hosts the panel of the connected interface: searches for it once a second,
// watches it every 400 ms once found, and goes back to searching when it is lost.
// While another user's session is at the console, it leaves the interface alone.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Connects to each device found and re-applies the saved audio settings;
    // set by start-up, not owned.
    Settings *settingsDialog = nullptr;

    // The tray menu's entries, offered in the window as well: a keyboard or
    // screen reader user reaches them without finding the notification area,
    // and where no notification area runs they are reachable at all.
    void setMenuEntries(const QList<QAction *> &entries);
    // Whether this session is the one at the console, which alone drives the interface.
    bool atConsole() const { return !inBackground; }

signals:
    // The window shows another panel or none; the old one has left the window
    // already, though it is deleted later.
    void panelChanged();
    void atConsoleChanged(bool atConsole);

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void detectDevice();
    void pollDevice();
    void clearBaseLayout();
    void addStatusLabel(const QString &text);
    bool handOffModel(DeviceModel model);
    void focusFirstControl(QWidget *panel);
    void startWatch();
    void followSession();
    void dropPanel();
    void openMenu(const QPoint &globalPosition);

    std::uint32_t productId = 0;
    QVBoxLayout *baseLayout = nullptr;
    QTimer *detectTimer = nullptr;
    QTimer *pidTimer = nullptr;
    KorvistIoControl *meterDriver = nullptr;
    QLabel *statusLabel = nullptr;
    SpokenMenu *menu = nullptr;
    std::uint32_t pidErrorCount = 0;
    // This session is not the one at the console: the interface is another's.
    bool inBackground = false;
    // The next panel takes the interface over from another session.
    bool takingOver = false;
};
