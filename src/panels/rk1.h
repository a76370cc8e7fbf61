#pragma once

#include <meterblock.h>
#include <mixerblock.h>
#include <safetygate.h>

#include <QWidget>

class Button;
class Knob;
class KorvistIoControl;
class QLabel;
class QSettings;
namespace controls {
class ControlTable;
}

// The RK1: one microphone/instrument input, headphones, and a phone input.
class rk1 : public QWidget
{
    Q_OBJECT

public:
    // arrival: why the panel is built, which decides what its replay may do.
    explicit rk1(safetygate::Way arrival = safetygate::Way::PlugIn);
    ~rk1() override;

private:
    void buildLayout();
    void nameControls();
    controls::ControlTable *declareControls();
    void onMicGainChanged(int value);
    void onMicModeToggled(bool on);
    void onMicPadToggled(bool on);
    void onMicPhantomToggled(bool on);
    void onDirectToggled(bool on);
    // The mixer entries of a control, written without sending; the gain written.
    void setDirectEntries(bool on);
    double setHeadphoneEntries(int dB);
    double setPhoneToHeadphoneEntries(int dB);
    void applyHeadphoneVolume(int dB);
    void onHeadphoneMuteToggled(bool on);
    void onHeadphoneDimToggled(bool on);
    void onPhoneToHeadphoneChanged(int dB);

    Knob *micGainKnob = nullptr;
    Button *micModeButton = nullptr;
    Button *micPadButton = nullptr;
    Button *micPhantomButton = nullptr;
    QLabel *micLevelLabel = nullptr;
    Knob *headphoneKnob = nullptr;
    Button *headphoneMuteButton = nullptr;
    Button *headphoneDimButton = nullptr;
    Knob *phoneToHeadphoneKnob = nullptr;
    QLabel *phoneLevelLabel = nullptr;
    Button *directButton = nullptr;
    bool headphoneMuted = false;
    bool headphoneDimmed = false;
    MixerBlock mixer;
    QSettings *settingsFile = nullptr;
    KorvistIoControl *ioControl = nullptr;
};
