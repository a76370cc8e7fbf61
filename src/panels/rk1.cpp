#include "rk1.h"

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

rk1::rk1(safetygate::Way arrival)
{
    ioControl = connectPanel("Failed to create device in rk1.", {1, 2});
    if (!ioControl)
        return;
    settingsFile = savedstate::openSettingsFile(QStringLiteral("rk1.ini"), this);
    buildLayout();
    applyBaseRouting(mixer);
    new MeterReader(this);
    restoreSavedState(*declareControls(), arrival);
}

rk1::~rk1()
{
    detachControls(this);
    delete ioControl;
    delete settingsFile;
}

void rk1::buildLayout()
{
    micGainKnob = gainKnob(42, this);
    connect(micGainKnob, &Knob::valueChangedSig, this, &rk1::onMicGainChanged);
    micLevelLabel = levelLabel(this);
    micModeButton = standardButton(tr("MIC"), QStringLiteral("#00ff7f"), this);
    connect(micModeButton, &Button::pressed, this, &rk1::onMicModeToggled);
    micPadButton = standardButton(QStringLiteral("20dB"), QStringLiteral("#ff7f00"), this);
    connect(micPadButton, &Button::pressed, this, &rk1::onMicPadToggled);
    micPhantomButton = standardButton(QStringLiteral("48V"), QStringLiteral("#ff1111"), this);
    connect(micPhantomButton, &Button::pressed, this, &rk1::onMicPhantomToggled);
    directButton = standardButton(tr("DIRECT"), QStringLiteral("#00FFFF"), this);
    connect(directButton, &Button::pressed, this, &rk1::onDirectToggled);

    headphoneKnob = volumeKnob(this);
    connect(headphoneKnob, &Knob::valueChangedSig, this, &rk1::applyHeadphoneVolume);
    headphoneMuteButton = outputButton(QStringLiteral("MUTE"), QStringLiteral("#00FFFF"), this);
    connect(headphoneMuteButton, &Button::pressed, this, &rk1::onHeadphoneMuteToggled);
    headphoneDimButton = outputButton(QStringLiteral("DIM"), QStringLiteral("#00FFFF"), this);
    connect(headphoneDimButton, &Button::pressed, this, &rk1::onHeadphoneDimToggled);
    phoneToHeadphoneKnob = smallKnob(-80, 6, this);
    connect(phoneToHeadphoneKnob, &Knob::valueChangedSig, this, &rk1::onPhoneToHeadphoneChanged);
    phoneLevelLabel = levelLabel(this);

    QVBoxLayout *input = inputColumn();
    input->addWidget(label(tr("INPUT"), kHeadingStyle, this));
    input->addWidget(micGainKnob);
    input->addWidget(micLevelLabel);
    input->addWidget(label(tr("Gain"), kCaptionStyle, this));
    input->addLayout(centredColumn({micModeButton, micPadButton, micPhantomButton, directButton}));

    QVBoxLayout *headphone = outputColumn();
    headphone->addWidget(label(tr("HEADPHONE"), kHeadingStyle, this));
    headphone->addLayout(row({headphoneKnob}));
    headphone->addWidget(label(tr("Volume"), kCaptionStyle, this));
    headphone->addLayout(centredRow({headphoneMuteButton, headphoneDimButton}));
    headphone->addLayout(phoneRow(phoneToHeadphoneKnob, phoneLevelLabel, tr("Phone To HP Volume"), this));
    headphone->addStretch();

    QHBoxLayout *top = panelLayout(this);
    top->addLayout(input);
    top->addWidget(separator(this));
    top->addLayout(headphone);
    nameControls();
}

void rk1::nameControls()
{
    nameControl(micGainKnob, {tr("INPUT"), tr("Gain")}, Purpose::Gain);
    nameControl(micModeButton, {tr("INPUT"), micModeButton->text()}, Purpose::InstrumentMode);
    nameControl(micPadButton, {tr("INPUT"), QStringLiteral("20dB")}, Purpose::Pad);
    nameControl(micPhantomButton, {tr("INPUT"), QStringLiteral("48V")}, Purpose::PhantomPower);
    nameControl(directButton, {tr("INPUT"), tr("DIRECT")}, Purpose::DirectMonitoring);
    nameReadout(micLevelLabel, tr("INPUT"));
    nameControl(headphoneKnob, {tr("HEADPHONE"), tr("Volume")}, Purpose::Volume);
    nameControl(headphoneMuteButton, {tr("HEADPHONE"), QStringLiteral("MUTE")}, Purpose::Mute);
    nameControl(headphoneDimButton, {tr("HEADPHONE"), QStringLiteral("DIM")}, Purpose::Dim);
    nameControl(phoneToHeadphoneKnob, {tr("Phone To HP Volume")}, Purpose::PhoneLevel);
    nameReadout(phoneLevelLabel, tr("Phone To HP Volume"));
}

controls::ControlTable *rk1::declareControls()
{
    using controls::Kind;
    auto *table = new controls::ControlTable(QStringLiteral("rk1"), settingsFile, ioControl, &mixer, this);
    table->add(micModeButton, QStringLiteral("Button/MicInstrIsChecked"), Kind::PlainSwitch);
    table->add(micPadButton, QStringLiteral("Button/Mic20dBIsChecked"), Kind::Pad);
    table->add(micPhantomButton, QStringLiteral("Button/Mic48VIsChecked"), Kind::PhantomPower, QT_TRANSLATE_NOOP("Answer", "MIC"));
    table->add(directButton, QStringLiteral("Button/MonitorMicIsChecked"), Kind::Route);
    table->add(micGainKnob, QStringLiteral("Dial/MicValue"), Kind::InputGain, 0);
    table->add(headphoneKnob, QStringLiteral("Dial/HeadphoneValue"), Kind::OutputLevel, -80);
    table->add(headphoneMuteButton, QStringLiteral("Button/HeadphoneMuteIsChecked"), Kind::Pad);
    table->add(headphoneDimButton, QStringLiteral("Button/HeadphoneDimIsChecked"), Kind::Pad);
    table->add(phoneToHeadphoneKnob, QStringLiteral("Dial/OtgToHpValue"), Kind::PhoneLevel, 0);
    table->addReadout({micLevelLabel}, QStringLiteral("MIC"), channelLevel(0));
    table->addReadout({phoneLevelLabel}, QStringLiteral("Phone"), phoneLevel());
    table->stageMixer = [this](const controls::Targets &to) {
        const QScopedValueRollback muted(headphoneMuted, to.of(headphoneMuteButton) != 0);
        const QScopedValueRollback dimmed(headphoneDimmed, to.of(headphoneDimButton) != 0);
        setDirectEntries(to.of(directButton) != 0);
        setHeadphoneEntries(to.of(headphoneKnob));
        setPhoneToHeadphoneEntries(to.of(phoneToHeadphoneKnob));
    };
    return table;
}

void rk1::onMicGainChanged(int value)
{
    if (ioControl->setMicVolume(1, value * 2))
        qDebug() << "Mic volume set to:" << value;
    else
        qDebug() << "Failed to set mic volume.";
    savedstate::save(settingsFile, QStringLiteral("Dial/MicValue"), micGainKnob->value);
}

void rk1::onMicModeToggled(bool on)
{
    qDebug() << "Mic Instr Button Clicked" << int(on);
    if (ioControl->setMicInstrument(1, on)) {
        qDebug() << "Mic instruction switched for channel 1.";
        micModeButton->setText(on ? tr("INST") : tr("MIC"));
        // Screen readers say the mode the button shows, as a sighted user reads it.
        micModeButton->setAccessibleName(tr("INPUT") + ' ' + micModeButton->text());
    } else {
        qDebug() << "Failed to switch mic instruction.";
    }
    savedstate::save(settingsFile, QStringLiteral("Button/MicInstrIsChecked"), micModeButton->active);
}

void rk1::onMicPadToggled(bool on)
{
    qDebug() << "Mic 20dB Button Clicked" << int(on);
    if (ioControl->setMic20dB(1, on))
        qDebug() << "Mic 20dB switched for channel 1.";
    else
        qDebug() << "Failed to switch mic 20dB.";
    savedstate::save(settingsFile, QStringLiteral("Button/Mic20dBIsChecked"), micPadButton->active);
}

void rk1::onMicPhantomToggled(bool on)
{
    qDebug() << "Mic 48V Button Clicked" << int(on);
    if (ioControl->setMic48V(1, on))
        qDebug() << "Mic 48V switched for channel 1.";
    else
        qDebug() << "Failed to switch mic 48V.";
    savedstate::save(settingsFile, QStringLiteral("Button/Mic48VIsChecked"), micPhantomButton->active);
}

void rk1::setDirectEntries(bool on)
{
    const double gain = on ? 1.0 : 0.0;
    mixer.crosspoint[64][0] = gain;
    mixer.crosspoint[65][1] = gain;
}

void rk1::onDirectToggled(bool on)
{
    setDirectEntries(on);
    if (ioControl->writeMixer(mixer))
        qDebug() << "Monitor Mic set to:" << int(on);
    else
        qDebug() << "Failed to set Monitor Mic.";
    savedstate::save(settingsFile, QStringLiteral("Button/MonitorMicIsChecked"), directButton->active);
}

double rk1::setHeadphoneEntries(int dB)
{
    const double gain = dbToGain(effectiveLevel(dB, headphoneMuted, headphoneDimmed));
    mixer.outputGain[0] = gain;
    mixer.outputGain[1] = gain;
    return gain;
}

void rk1::applyHeadphoneVolume(int dB)
{
    const double gain = setHeadphoneEntries(dB);
    if (ioControl->writeMixer(mixer))
        qDebug() << "Headphone volume set to:" << gain;
    else
        qDebug() << "Failed to set headphone volume.";
    savedstate::save(settingsFile, QStringLiteral("Dial/HeadphoneValue"), headphoneKnob->value);
}

void rk1::onHeadphoneMuteToggled(bool on)
{
    headphoneMuted = on;
    applyHeadphoneVolume(on ? -80 : headphoneKnob->value);
    qDebug() << (on ? "Headphone Mute Button Clicked: Mute ON" : "Headphone Mute Button Clicked: Mute OFF");
    savedstate::save(settingsFile, QStringLiteral("Button/HeadphoneMuteIsChecked"), headphoneMuteButton->active);
}

void rk1::onHeadphoneDimToggled(bool on)
{
    headphoneDimmed = on;
    applyHeadphoneVolume(headphoneKnob->value);
    qDebug() << (on ? "Headphone Dim Button Clicked: Dim ON" : "Headphone Dim Button Clicked: Dim OFF");
    savedstate::save(settingsFile, QStringLiteral("Button/HeadphoneDimIsChecked"), headphoneDimButton->active);
}

double rk1::setPhoneToHeadphoneEntries(int dB)
{
    const double gain = dbToGain(dB);
    mixer.crosspoint[64][2] = gain;
    mixer.crosspoint[65][3] = gain;
    return gain;
}

void rk1::onPhoneToHeadphoneChanged(int dB)
{
    const double gain = setPhoneToHeadphoneEntries(dB);
    if (ioControl->writeMixer(mixer))
        qDebug() << "OTG to HP volume set to:" << gain;
    else
        qDebug() << "Failed to set OTG to HP volume.";
    savedstate::save(settingsFile, QStringLiteral("Dial/OtgToHpValue"), phoneToHeadphoneKnob->value);
}
