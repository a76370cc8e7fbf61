#include "rk2.h"

#include "meterreader.h"
#include "panelkit.h"
#include "panelnames.h"

#include <button.h>
#include <conversions.h>
#include <knob.h>
#include <korvistiocontrol.h>
#include <controltable.h>
#include <settingsfile.h>

#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QScopedValueRollback>
#include <QSettings>
#include <QVBoxLayout>

using namespace panelkit;

namespace {

struct MicKeys
{
    QString gain, pad, phantom, direct;
};

const MicKeys &micKeys(int channel)
{
    static const MicKeys keys[] = {
        {"Dial/Mic1Value", "Button/Mic120dBIsChecked", "Button/Mic148VIsChecked", "Button/MonitorMic1IsChecked"},
        {"Dial/Mic2Value", "Button/Mic220dBIsChecked", "Button/Mic248VIsChecked", "Button/MonitorMic2IsChecked"},
    };
    return keys[channel - 1];
}

// DIRECT feeds a microphone into both speaker rows and both headphone rows.
constexpr int kDirectRows[] = {64, 65, 68, 69};

} // namespace

rk2::rk2(safetygate::Way arrival)
{
    ioControl = connectPanel("Failed to create device in rk2.", {1, 2, 5, 6});
    if (!ioControl)
        return;
    settingsFile = savedstate::openSettingsFile(QStringLiteral("rk2.ini"), this);

    QHBoxLayout *top = panelLayout(this);
    top->addLayout(buildMicColumn(1, mic1GainKnob, mic1LevelLabel, mic1PadButton, mic1PhantomButton, mic1DirectButton));
    top->addLayout(buildMicColumn(2, mic2GainKnob, mic2LevelLabel, mic2PadButton, mic2PhantomButton, mic2DirectButton));
    top->addWidget(separator(this));
    top->addLayout(buildSpeakerColumn());
    top->addLayout(buildHeadphoneColumn());
    nameControls();

    applyBaseRouting(mixer);
    mixer.crosspoint[100][0] = 1.0;
    mixer.crosspoint[101][1] = 1.0;
    new MeterReader(this);
    restoreSavedState(*declareControls(), arrival);
}

rk2::~rk2()
{
    detachControls(this);
    delete ioControl;
    delete settingsFile;
}

QVBoxLayout *rk2::buildMicColumn(int channel, Knob *&gain, QLabel *&level, Button *&pad, Button *&phantom,
                                  Button *&direct)
{
    gain = gainKnob(56, this);
    gain->displayOffset = 9;
    connect(gain, &Knob::valueChangedSig, this, [this, channel](int value) { onMicGainChanged(channel, value); });
    level = levelLabel(this);
    pad = standardButton(QStringLiteral("20dB"), QStringLiteral("#ff7f00"), this);
    connect(pad, &Button::pressed, this, [this, channel](bool on) { onMicPadToggled(channel, on); });
    phantom = standardButton(QStringLiteral("48V"), QStringLiteral("#ff1111"), this);
    connect(phantom, &Button::pressed, this, [this, channel](bool on) { onMicPhantomToggled(channel, on); });
    direct = standardButton(tr("DIRECT"), QStringLiteral("#00FFFF"), this);
    connect(direct, &Button::pressed, this, [this, channel](bool on) { onDirectToggled(channel, on); });

    QVBoxLayout *column = inputColumn();
    column->addWidget(label(channel == 1 ? tr("MIC1") : tr("MIC2"), kHeadingStyle, this));
    column->addWidget(gain);
    column->addWidget(level);
    column->addWidget(label(tr("Gain"), kCaptionStyle, this));
    column->addLayout(centredColumn({pad, phantom, direct}));
    column->addStretch();
    return column;
}

QVBoxLayout *rk2::buildSpeakerColumn()
{
    speakerKnob = volumeKnob(this);
    connect(speakerKnob, &Knob::valueChangedSig, this, &rk2::applySpeakerVolume);
    speakerMuteButton = outputButton(QStringLiteral("MUTE"), QStringLiteral("#00FFFF"), this);
    connect(speakerMuteButton, &Button::pressed, this, &rk2::onSpeakerMuteToggled);
    speakerDimButton = outputButton(QStringLiteral("DIM"), QStringLiteral("#00FFFF"), this);
    connect(speakerDimButton, &Button::pressed, this, &rk2::onSpeakerDimToggled);
    phoneToSpeakerKnob = smallKnob(-80, 6, this);
    connect(phoneToSpeakerKnob, &Knob::valueChangedSig, this, &rk2::onPhoneToSpeakerChanged);
    phoneToSpeakerLevelLabel = levelLabel(this);

    QVBoxLayout *column = outputColumn();
    column->addWidget(label(tr("SPEAKER"), kHeadingStyle, this));
    column->addLayout(row({speakerKnob}));
    column->addWidget(label(tr("Volume"), kCaptionStyle, this));
    column->addLayout(centredRow({speakerMuteButton, speakerDimButton}));
    column->addLayout(phoneRow(phoneToSpeakerKnob, phoneToSpeakerLevelLabel, tr("Phone To SP Volume"), this));
    column->addStretch();
    return column;
}

QVBoxLayout *rk2::buildHeadphoneColumn()
{
    headphoneKnob = volumeKnob(this);
    connect(headphoneKnob, &Knob::valueChangedSig, this, &rk2::applyHeadphoneVolume);
    headphoneMuteButton = outputButton(QStringLiteral("MUTE"), QStringLiteral("#00FFFF"), this);
    connect(headphoneMuteButton, &Button::pressed, this, &rk2::onHeadphoneMuteToggled);
    headphoneSourceButton = outputButton(QStringLiteral("ASIO 1-2"), QStringLiteral("#00FFFF"), this);
    connect(headphoneSourceButton, &Button::pressed, this, &rk2::onHeadphoneSourceToggled);
    phoneToHeadphoneKnob = smallKnob(-80, 6, this);
    connect(phoneToHeadphoneKnob, &Knob::valueChangedSig, this, &rk2::onPhoneToHeadphoneChanged);
    phoneLevelLabel = levelLabel(this);

    QVBoxLayout *column = outputColumn();
    column->addWidget(label(tr("HEADPHONE"), kHeadingStyle, this));
    column->addLayout(row({headphoneKnob}));
    column->addWidget(label(tr("Volume"), kCaptionStyle, this));
    column->addLayout(centredRow({headphoneMuteButton, headphoneSourceButton}));
    column->addLayout(phoneRow(phoneToHeadphoneKnob, phoneLevelLabel, tr("Phone To HP Volume"), this));
    column->addStretch();
    return column;
}

void rk2::nameControls()
{
    const QString mic1 = tr("MIC1");
    const QString mic2 = tr("MIC2");
    nameControl(mic1GainKnob, {mic1, tr("Gain")}, Purpose::Gain);
    nameControl(mic1PadButton, {mic1, QStringLiteral("20dB")}, Purpose::Pad);
    nameControl(mic1PhantomButton, {mic1, QStringLiteral("48V")}, Purpose::PhantomPower);
    nameControl(mic1DirectButton, {mic1, tr("DIRECT")}, Purpose::DirectMonitoring);
    nameReadout(mic1LevelLabel, mic1);
    nameControl(mic2GainKnob, {mic2, tr("Gain")}, Purpose::Gain);
    nameControl(mic2PadButton, {mic2, QStringLiteral("20dB")}, Purpose::Pad);
    nameControl(mic2PhantomButton, {mic2, QStringLiteral("48V")}, Purpose::PhantomPower);
    nameControl(mic2DirectButton, {mic2, tr("DIRECT")}, Purpose::DirectMonitoring);
    nameReadout(mic2LevelLabel, mic2);
    nameControl(speakerKnob, {tr("SPEAKER"), tr("Volume")}, Purpose::Volume);
    nameControl(speakerMuteButton, {tr("SPEAKER"), QStringLiteral("MUTE")}, Purpose::Mute);
    nameControl(speakerDimButton, {tr("SPEAKER"), QStringLiteral("DIM")}, Purpose::Dim);
    nameControl(phoneToSpeakerKnob, {tr("Phone To SP Volume")}, Purpose::PhoneLevel);
    nameReadout(phoneToSpeakerLevelLabel, tr("Phone To SP Volume"));
    nameControl(headphoneKnob, {tr("HEADPHONE"), tr("Volume")}, Purpose::Volume);
    nameControl(headphoneMuteButton, {tr("HEADPHONE"), QStringLiteral("MUTE")}, Purpose::Mute);
    nameControl(headphoneSourceButton, {tr("HEADPHONE"), headphoneSourceButton->text()}, Purpose::HeadphoneSource);
    nameControl(phoneToHeadphoneKnob, {tr("Phone To HP Volume")}, Purpose::PhoneLevel);
    nameReadout(phoneLevelLabel, tr("Phone To HP Volume"));
}

controls::ControlTable *rk2::declareControls()
{
    using controls::Kind;
    auto *table = new controls::ControlTable(QStringLiteral("rk2"), settingsFile, ioControl, &mixer, this);
    table->add(mic1PadButton, micKeys(1).pad, Kind::Pad);
    table->add(mic1PhantomButton, micKeys(1).phantom, Kind::PhantomPower, QT_TRANSLATE_NOOP("Answer", "MIC1"));
    table->add(mic1DirectButton, micKeys(1).direct, Kind::Route);
    table->add(mic1GainKnob, micKeys(1).gain, Kind::InputGain, 0);
    table->add(mic2GainKnob, micKeys(2).gain, Kind::InputGain, 0);
    table->add(mic2PadButton, micKeys(2).pad, Kind::Pad);
    table->add(mic2PhantomButton, micKeys(2).phantom, Kind::PhantomPower, QT_TRANSLATE_NOOP("Answer", "MIC2"));
    table->add(mic2DirectButton, micKeys(2).direct, Kind::Route);
    table->add(speakerKnob, QStringLiteral("Dial/SpeakerValue"), Kind::OutputLevel, -80);
    table->add(speakerMuteButton, QStringLiteral("Button/SpeakerMuteIsChecked"), Kind::Pad);
    table->add(speakerDimButton, QStringLiteral("Button/SpeakerDimIsChecked"), Kind::Pad);
    table->add(headphoneKnob, QStringLiteral("Dial/HeadphoneValue"), Kind::OutputLevel, -80);
    table->add(headphoneMuteButton, QStringLiteral("Button/HeadphoneMuteIsChecked"), Kind::Pad);
    table->add(headphoneSourceButton, QStringLiteral("Button/HeadphoneSourceIsChecked"), Kind::Route);
    table->add(phoneToHeadphoneKnob, QStringLiteral("Dial/OtgToHpValue"), Kind::PhoneLevel, 0);
    table->add(phoneToSpeakerKnob, QStringLiteral("Dial/OtgToSPValue"), Kind::PhoneLevel, 0);
    table->addReadout({mic1LevelLabel}, QStringLiteral("MIC1"), channelLevel(0));
    table->addReadout({mic2LevelLabel}, QStringLiteral("MIC2"), channelLevel(1));
    table->addReadout({phoneLevelLabel, phoneToSpeakerLevelLabel}, QStringLiteral("Phone"), phoneLevel());
    table->stageMixer = [this](const controls::Targets &to) {
        const QScopedValueRollback spMuted(speakerMuted, to.of(speakerMuteButton) != 0);
        const QScopedValueRollback spDimmed(speakerDimmed, to.of(speakerDimButton) != 0);
        const QScopedValueRollback hpMuted(headphoneMuted, to.of(headphoneMuteButton) != 0);
        setDirectEntries(1, to.of(mic1DirectButton) != 0);
        setDirectEntries(2, to.of(mic2DirectButton) != 0);
        setSpeakerEntries(to.of(speakerKnob));
        setHeadphoneEntries(to.of(headphoneKnob));
        setHeadphoneSourceEntries(to.of(headphoneSourceButton) != 0);
        setPhoneToHeadphoneEntries(to.of(phoneToHeadphoneKnob));
        setPhoneToSpeakerEntries(to.of(phoneToSpeakerKnob));
    };
    return table;
}

void rk2::saveState(const QString &key, const QVariant &value)
{
    if (savedstate::save(settingsFile, key, value))
        qDebug() << "控件状态已保存到配置文件";
}

void rk2::onMicGainChanged(int channel, int value)
{
    if (ioControl->setMicVolume(channel, value * 2))
        qDebug() << "Mic volume set to:" << value;
    else
        qDebug() << "Failed to set mic volume.";
    saveState(micKeys(channel).gain, value);
}

void rk2::onMicPadToggled(int channel, bool on)
{
    qDebug() << "Mic 20dB Button Clicked" << int(on);
    if (ioControl->setMic20dB(channel, on))
        qDebug().noquote() << QString("Mic 20dB switched for channel %1.").arg(channel);
    else
        qDebug() << "Failed to switch mic 20dB.";
    saveState(micKeys(channel).pad, on);
}

void rk2::onMicPhantomToggled(int channel, bool on)
{
    qDebug() << "Mic 48V Button Clicked" << int(on);
    if (ioControl->setMic48V(channel, on))
        qDebug().noquote() << QString("Mic 48V switched for channel %1.").arg(channel);
    else
        qDebug() << "Failed to switch mic 48V.";
    saveState(micKeys(channel).phantom, on);
}

void rk2::setDirectEntries(int channel, bool on)
{
    const int input = channel - 1;
    const double gain = on ? 1.0 : 0.0;
    for (int row : kDirectRows)
        mixer.crosspoint[row][input] = gain;
}

void rk2::onDirectToggled(int channel, bool on)
{
    setDirectEntries(channel, on);
    if (ioControl->writeMixer(mixer))
        qDebug() << "Monitor Mic set to:" << int(on);
    else
        qDebug() << "Failed to set Monitor Mic.";
    saveState(micKeys(channel).direct, on);
}

int rk2::setSpeakerEntries(int dB)
{
    const int level = effectiveLevel(dB, speakerMuted, speakerDimmed);
    mixer.outputGain[0] = dbToGain(level);
    mixer.outputGain[1] = dbToGain(level);
    return level;
}

void rk2::applySpeakerVolume(int dB)
{
    qDebug() << "Speaker Knob value changed:" << dB;
    const int level = setSpeakerEntries(dB);
    if (ioControl->writeMixer(mixer))
        qDebug() << "Speaker volume set to:" << level;
    else
        qDebug() << "Failed to set speaker volume.";
    saveState(QStringLiteral("Dial/SpeakerValue"), speakerKnob->value);
}

void rk2::onSpeakerMuteToggled(bool on)
{
    speakerMuted = on;
    applySpeakerVolume(on ? -80 : speakerKnob->value);
    qDebug() << (on ? "Speaker Mute Button Clicked: Mute ON" : "Speaker Mute Button Clicked: Mute OFF");
    saveState(QStringLiteral("Button/SpeakerMuteIsChecked"), on);
}

void rk2::onSpeakerDimToggled(bool on)
{
    speakerDimmed = on;
    applySpeakerVolume(speakerKnob->value);
    saveState(QStringLiteral("Button/SpeakerDimIsChecked"), on);
}

int rk2::setHeadphoneEntries(int dB)
{
    const int level = effectiveLevel(dB, headphoneMuted, false);
    mixer.outputGain[4] = dbToGain(level);
    mixer.outputGain[5] = dbToGain(level);
    return level;
}

void rk2::applyHeadphoneVolume(int dB)
{
    qDebug() << "Headphone Knob value changed:" << dB;
    const int level = setHeadphoneEntries(dB);
    if (ioControl->writeMixer(mixer))
        qDebug() << "Headphone volume set to:" << level;
    else
        qDebug() << "Failed to set headphone volume.";
    saveState(QStringLiteral("Dial/HeadphoneValue"), headphoneKnob->value);
}

void rk2::onHeadphoneMuteToggled(bool on)
{
    headphoneMuted = on;
    applyHeadphoneVolume(headphoneKnob->value);
    saveState(QStringLiteral("Button/HeadphoneMuteIsChecked"), on);
}

// Off plays "ASIO 1-2" (playback columns 0 and 1), on plays "ASIO 5-6" (4 and 5).
void rk2::setHeadphoneSourceEntries(bool on)
{
    mixer.crosspoint[132][0] = on ? 0.0 : 1.0;
    mixer.crosspoint[133][1] = on ? 0.0 : 1.0;
    mixer.crosspoint[132][4] = on ? 1.0 : 0.0;
    mixer.crosspoint[133][5] = on ? 1.0 : 0.0;
}

void rk2::onHeadphoneSourceToggled(bool on)
{
    setHeadphoneSourceEntries(on);
    headphoneSourceButton->setText(on ? QStringLiteral("ASIO 5-6") : QStringLiteral("ASIO 1-2"));
    // Screen readers say the pair the button shows, as a sighted user reads it.
    headphoneSourceButton->setAccessibleName(tr("HEADPHONE") + ' ' + headphoneSourceButton->text());
    if (ioControl->writeMixer(mixer))
        qDebug() << "set Headphone Source:" << int(on);
    else
        qDebug() << "Failed to set Headphone Source.";
    saveState(QStringLiteral("Button/HeadphoneSourceIsChecked"), on);
}

double rk2::setPhoneToHeadphoneEntries(int dB)
{
    const double gain = dbToGain(dB);
    mixer.crosspoint[68][2] = gain;
    mixer.crosspoint[69][3] = gain;
    return gain;
}

void rk2::onPhoneToHeadphoneChanged(int dB)
{
    const double gain = setPhoneToHeadphoneEntries(dB);
    if (ioControl->writeMixer(mixer))
        qDebug() << "OTG to HP volume set to:" << gain;
    else
        qDebug() << "Failed to set OTG to HP volume.";
    saveState(QStringLiteral("Dial/OtgToHpValue"), dB);
}

double rk2::setPhoneToSpeakerEntries(int dB)
{
    const double gain = dbToGain(dB);
    mixer.crosspoint[64][2] = gain;
    mixer.crosspoint[65][3] = gain;
    return gain;
}

void rk2::onPhoneToSpeakerChanged(int dB)
{
    const double gain = setPhoneToSpeakerEntries(dB);
    if (ioControl->writeMixer(mixer))
        qDebug() << "OTG to SP volume set to:" << gain;
    else
        qDebug() << "Failed to set OTG to SP volume.";
    saveState(QStringLiteral("Dial/OtgToSPValue"), dB);
}
