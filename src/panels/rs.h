#pragma once

#include <meterblock.h>
#include <mixerblock.h>

#include <QWidget>

class Button;
class Knob;
class KorvistIoControl;
class QLabel;
class QSettings;

// The RS: one microphone input and headphones. Its phone input plays in the
// headphones at unity and has no control.
class rs : public QWidget
{
    Q_OBJECT

public:
    rs();
    ~rs() override;

    // Replays the whole ini file again, as at construction: every control's
    // handler sends its state and writes it back. Nothing on a panel without a device.
    Q_INVOKABLE void restoreState();

private:
    void buildLayout();
    void nameControls();
    void onMicGainChanged(int value);
    void onDirectToggled(bool on);
    // The headphone entries of the mixer block, written without sending.
    void setHeadphoneEntries(int dB);
    void applyHeadphoneVolume(int dB);
    void onHeadphoneMuteToggled(bool on);
    void onHeadphoneDimToggled(bool on);
    void updateMeters();

    Knob *micGainKnob = nullptr;
    QLabel *micLevelLabel = nullptr;
    Knob *headphoneKnob = nullptr;
    Button *headphoneMuteButton = nullptr;
    Button *headphoneDimButton = nullptr;
    Button *directButton = nullptr;
    bool headphoneMuted = false;
    bool headphoneDimmed = false;
    MixerBlock mixer;
    MeterBlock meters;
    QSettings *settingsFile = nullptr;
    KorvistIoControl *ioControl = nullptr;
};
