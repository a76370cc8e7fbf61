#include "rs.h"

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
// Written with a leading blank on this model; the look is the caption's.
const QString kRsCaptionStyle = QStringLiteral(" font-size: 12px; color: white;");
} // namespace

rs::rs(safetygate::Way arrival)
{
    ioControl = connectPanel("Failed to create device in rs.", {1, 2});
    if (!ioControl)
        return;
    settingsFile = savedstate::openSettingsFile(QStringLiteral("rs.ini"), this);
    buildLayout();
    applyBaseRouting(mixer);
    mixer.crosspoint[64][2] = 1.0;
    mixer.crosspoint[65][3] = 1.0;
    new MeterReader(this);
    restoreSavedState(*declareControls(), arrival);
}

rs::~rs()
{
    detachControls(this);
    delete ioControl;
    delete settingsFile;
}

void rs::buildLayout()
{
    micGainKnob = gainKnob(42, this);
    connect(micGainKnob, &Knob::valueChangedSig, this, &rs::onMicGainChanged);
    micLevelLabel = levelLabel(this);
    directButton = standardButton(tr("DIRECT"), QStringLiteral("#00FFFF"), this);
    connect(directButton, &Button::pressed, this, &rs::onDirectToggled);

    headphoneKnob = volumeKnob(this);
    connect(headphoneKnob, &Knob::valueChangedSig, this, &rs::applyHeadphoneVolume);
    headphoneMuteButton = outputButton(QStringLiteral("MUTE"), QStringLiteral("#00FFFF"), this);
    connect(headphoneMuteButton, &Button::pressed, this, &rs::onHeadphoneMuteToggled);
    headphoneDimButton = outputButton(QStringLiteral("DIM"), QStringLiteral("#00FFFF"), this);
    connect(headphoneDimButton, &Button::pressed, this, &rs::onHeadphoneDimToggled);

    QVBoxLayout *mic = inputColumn();
    mic->addWidget(label(tr("MIC"), kHeadingStyle, this));
    mic->addWidget(micGainKnob);
    mic->addWidget(micLevelLabel);
    mic->addWidget(label(tr("Gain"), kRsCaptionStyle, this));
    mic->addLayout(centredColumn({directButton}));

    QVBoxLayout *headphone = outputColumn();
    headphone->addWidget(label(QStringLiteral("HEADPHONE"), kHeadingStyle, this));
    headphone->addLayout(row({headphoneKnob}));
    headphone->addWidget(label(tr("Volume"), kRsCaptionStyle, this));
    headphone->addLayout(centredRow({headphoneMuteButton, headphoneDimButton}));
    headphone->addStretch();

    QHBoxLayout *top = panelLayout(this);
    top->addLayout(mic);
    top->addWidget(separator(this));
    top->addLayout(headphone);
    nameControls();
}

// The HEADPHONE heading of this model is shown untranslated, and so is said.
void rs::nameControls()
{
    const QString headphone = QStringLiteral("HEADPHONE");
    nameControl(micGainKnob, {tr("MIC"), tr("Gain")}, Purpose::Gain);
    nameControl(directButton, {tr("MIC"), tr("DIRECT")}, Purpose::DirectMonitoring);
    nameReadout(micLevelLabel, tr("MIC"));
    nameControl(headphoneKnob, {headphone, tr("Volume")}, Purpose::Volume);
    nameControl(headphoneMuteButton, {headphone, QStringLiteral("MUTE")}, Purpose::Mute);
    nameControl(headphoneDimButton, {headphone, QStringLiteral("DIM")}, Purpose::Dim);
}

controls::ControlTable *rs::declareControls()
{
    using controls::Kind;
    auto *table = new controls::ControlTable(QStringLiteral("rs"), settingsFile, ioControl, &mixer, this);
    table->add(directButton, QStringLiteral("Button/MonitorMicIsChecked"), Kind::Route);
    table->add(micGainKnob, QStringLiteral("Dial/MicValue"), Kind::InputGain, 0);
    table->add(headphoneKnob, QStringLiteral("Dial/HeadphoneValue"), Kind::OutputLevel, -80);
    table->add(headphoneMuteButton, QStringLiteral("Button/HeadphoneMuteIsChecked"), Kind::Pad);
    table->add(headphoneDimButton, QStringLiteral("Button/HeadphoneDimIsChecked"), Kind::Pad);
    table->addReadout({micLevelLabel}, QStringLiteral("MIC"), channelLevel(0));
    table->stageMixer = [this](const controls::Targets &to) {
        const QScopedValueRollback muted(headphoneMuted, to.of(headphoneMuteButton) != 0);
        const QScopedValueRollback dimmed(headphoneDimmed, to.of(headphoneDimButton) != 0);
        setDirectEntries(to.of(directButton) != 0);
        setHeadphoneEntries(to.of(headphoneKnob));
    };
    return table;
}

void rs::onMicGainChanged(int value)
{
    if (ioControl->setMicVolume(1, value * 2))
        qDebug() << "Mic volume set to:" << value;
    else
        qDebug() << "Failed to set mic volume.";
    savedstate::save(settingsFile, QStringLiteral("Dial/MicValue"), micGainKnob->value);
}

void rs::setDirectEntries(bool on)
{
    const double gain = on ? 1.0 : 0.0;
    mixer.crosspoint[64][0] = gain;
    mixer.crosspoint[65][1] = gain;
}

void rs::onDirectToggled(bool on)
{
    setDirectEntries(on);
    if (ioControl->writeMixer(mixer))
        qDebug() << "Monitor Mic set to:" << int(on);
    else
        qDebug() << "Failed to set Monitor Mic.";
    savedstate::save(settingsFile, QStringLiteral("Button/MonitorMicIsChecked"), directButton->active);
}

void rs::setHeadphoneEntries(int dB)
{
    const double gain = dbToGain(effectiveLevel(dB, headphoneMuted, headphoneDimmed));
    mixer.outputGain[0] = gain;
    mixer.outputGain[1] = gain;
}

void rs::applyHeadphoneVolume(int dB)
{
    setHeadphoneEntries(dB);
    if (!ioControl->writeMixer(mixer))
        qDebug() << "Failed to set headphone volume.";
    savedstate::save(settingsFile, QStringLiteral("Dial/HeadphoneValue"), headphoneKnob->value);
}

void rs::onHeadphoneMuteToggled(bool on)
{
    headphoneMuted = on;
    applyHeadphoneVolume(on ? -80 : headphoneKnob->value);
    qDebug() << (on ? "Headphone Mute Button Clicked: Mute ON" : "Headphone Mute Button Clicked: Mute OFF");
    savedstate::save(settingsFile, QStringLiteral("Button/HeadphoneMuteIsChecked"), headphoneMuteButton->active);
}

void rs::onHeadphoneDimToggled(bool on)
{
    headphoneDimmed = on;
    applyHeadphoneVolume(headphoneKnob->value);
    qDebug() << (on ? "Headphone Dim Button Clicked: Dim ON" : "Headphone Dim Button Clicked: Dim OFF");
    savedstate::save(settingsFile, QStringLiteral("Button/HeadphoneDimIsChecked"), headphoneDimButton->active);
}
