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

// The RS: one microphone input and headphones. Its phone input plays in the
// headphones at unity and has no control.
class rs : public QWidget
{
    Q_OBJECT

public:
    // arrival: why the panel is built, which decides what its replay may do.
    explicit rs(safetygate::Way arrival = safetygate::Way::PlugIn);
    ~rs() override;

private:
    void buildLayout();
    void nameControls();
    controls::ControlTable *declareControls();
    void onMicGainChanged(int value);
    void onDirectToggled(bool on);
    // The entries of the mixer block, written without sending.
    void setDirectEntries(bool on);
    void setHeadphoneEntries(int dB);
    void applyHeadphoneVolume(int dB);
    void onHeadphoneMuteToggled(bool on);
    void onHeadphoneDimToggled(bool on);

    Knob *micGainKnob = nullptr;
    QLabel *micLevelLabel = nullptr;
    Knob *headphoneKnob = nullptr;
    Button *headphoneMuteButton = nullptr;
    Button *headphoneDimButton = nullptr;
    Button *directButton = nullptr;
    bool headphoneMuted = false;
    bool headphoneDimmed = false;
    MixerBlock mixer;
    QSettings *settingsFile = nullptr;
    KorvistIoControl *ioControl = nullptr;
};
