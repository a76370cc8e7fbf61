#pragma once

#include <usbstatus.h>

#include <QDialog>

#include <cstdint>

class KorvistIoControl;
class QComboBox;
class QLabel;
class QSettings;
class QTimer;
class QVBoxLayout;

// The audio engine's settings: buffer size, USB latency and safe mode, each
// pushed to the device by a stop / set / restart sequence and kept in
// "setting.ini" once the device took it; the USB error count; and the owner
// of the listener for the ASIO driver's notices. One instance for the whole
// run, never modal.
class Settings : public QDialog
{
    Q_OBJECT

public:
    Settings();
    ~Settings() override;

    // Opens a connection of its own to the device, replacing the one before.
    bool connectDevice();
    // Lets go of the device while another session drives it: until the next
    // connectDevice every choice fails as it does with no device.
    void releaseDevice();
    // STOP_MONITOR, the saved choices, and START_MONITOR 30 s later.
    void applySavedSettings();
    bool stopMonitor();
    // The ASIO driver's buffer size; false when offline or not one of the eight sizes.
    bool setAsioBufferSize(std::uint32_t size);

private:
    void buildContents();
    void loadSettings();
    void selectStored(QComboBox *box, const QString &key, const QString &defaultText);
    void onBufferSizeChanged(int index);
    void onUsbLatencyChanged(int index);
    void onSafeModeChanged(int index);
    void restartAfterRefusal();
    void onOkClicked();
    void pollUsbStatus();
    void showFromAsio();

    QVBoxLayout *layout = nullptr;
    QComboBox *latencyBox = nullptr;
    QComboBox *bufferSizeBox = nullptr;
    QComboBox *safeModeBox = nullptr;
    // Null when something other than a regular file is in its place.
    QSettings *settingsFile = nullptr;
    // Never null: until the first connectDevice it is a connection that was
    // never opened, so a choice made before any device fails like one made
    // after the device left.
    KorvistIoControl *ioControl = nullptr;
    UsbStatus usbStatus;
    QLabel *usbErrorLabel = nullptr;
    QTimer *pollTimer = nullptr;
    bool deviceOnline = false;
};
