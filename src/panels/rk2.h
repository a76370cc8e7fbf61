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
class QVBoxLayout;
namespace controls {
class ControlTable;
}

// The RK2: two microphone inputs, speakers, headphones with a choice of source
// pair, and a phone input mixed into both outputs.
class rk2 : public QWidget
{
    Q_OBJECT

public:
    // arrival: why the panel is built, which decides what its replay may do.
    explicit rk2(safetygate::Way arrival = safetygate::Way::PlugIn);
    ~rk2() override;

private:
    QVBoxLayout *buildMicColumn(int channel, Knob *&gain, QLabel *&level, Button *&pad, Button *&phantom,
                                Button *&direct);
    QVBoxLayout *buildSpeakerColumn();
    QVBoxLayout *buildHeadphoneColumn();
    void nameControls();
    controls::ControlTable *declareControls();
    void onMicGainChanged(int channel, int value);
    void onMicPadToggled(int channel, bool on);
    void onMicPhantomToggled(int channel, bool on);
    void onDirectToggled(int channel, bool on);
    // The mixer entries of a control, written without sending; each gives
    // what its handler logs.
    void setDirectEntries(int channel, bool on);
    int setSpeakerEntries(int dB);
    int setHeadphoneEntries(int dB);
    void setHeadphoneSourceEntries(bool on);
    double setPhoneToHeadphoneEntries(int dB);
    double setPhoneToSpeakerEntries(int dB);
    void applySpeakerVolume(int dB);
    void onSpeakerMuteToggled(bool on);
    void onSpeakerDimToggled(bool on);
    void applyHeadphoneVolume(int dB);
    void onHeadphoneMuteToggled(bool on);
    void onHeadphoneSourceToggled(bool on);
    void onPhoneToHeadphoneChanged(int dB);
    void onPhoneToSpeakerChanged(int dB);
    void saveState(const QString &key, const QVariant &value);

    Knob *mic1GainKnob = nullptr;
    Button *mic1PadButton = nullptr;
    Button *mic1PhantomButton = nullptr;
    Button *mic1DirectButton = nullptr;
    QLabel *mic1LevelLabel = nullptr;
    Knob *mic2GainKnob = nullptr;
    Button *mic2PadButton = nullptr;
    Button *mic2PhantomButton = nullptr;
    Button *mic2DirectButton = nullptr;
    QLabel *mic2LevelLabel = nullptr;
    Knob *headphoneKnob = nullptr;
    Button *headphoneMuteButton = nullptr;
    Button *headphoneSourceButton = nullptr;
    Knob *speakerKnob = nullptr;
    Button *speakerMuteButton = nullptr;
    Button *speakerDimButton = nullptr;
    bool speakerMuted = false;
    bool speakerDimmed = false;
    bool headphoneMuted = false;
    MixerBlock mixer;
    Knob *phoneToHeadphoneKnob = nullptr;
    QLabel *phoneLevelLabel = nullptr;
    Knob *phoneToSpeakerKnob = nullptr;
    QLabel *phoneToSpeakerLevelLabel = nullptr;
    QSettings *settingsFile = nullptr;
    KorvistIoControl *ioControl = nullptr;
};
