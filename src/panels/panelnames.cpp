#include "panelnames.h"

#include <accessibility.h>
#include <controltable.h>

#include <QCoreApplication>
#include <QLabel>
#include <QWidget>

namespace panelkit {

namespace {

const char *description(Purpose purpose)
{
    switch (purpose) {
    case Purpose::Gain:
        return QT_TRANSLATE_NOOP("panelkit", "Gain of the microphone input");
    case Purpose::InstrumentMode:
        return QT_TRANSLATE_NOOP("panelkit", "On: the input takes an instrument instead of a microphone");
    case Purpose::Pad:
        return QT_TRANSLATE_NOOP("panelkit", "On: the input is lowered by 20 dB");
    case Purpose::PhantomPower:
        return QT_TRANSLATE_NOOP("panelkit", "On: 48 V phantom power for a condenser microphone");
    case Purpose::DirectMonitoring:
        return QT_TRANSLATE_NOOP("panelkit", "On: the input is heard directly, without going through the computer");
    case Purpose::Volume:
        return QT_TRANSLATE_NOOP("panelkit", "Output volume");
    case Purpose::Mute:
        return QT_TRANSLATE_NOOP("panelkit", "On: the output is silent");
    case Purpose::Dim:
        return QT_TRANSLATE_NOOP("panelkit", "On: the output is lowered by 20 dB");
    case Purpose::PhoneLevel:
        return QT_TRANSLATE_NOOP("panelkit", "Level of the phone input in this output");
    case Purpose::HeadphoneSource:
        return QT_TRANSLATE_NOOP("panelkit", "Off: the headphones play ASIO 1-2; on: ASIO 5-6");
    }
    return "";
}

} // namespace

void nameControl(QWidget *control, const QStringList &words, Purpose purpose)
{
    control->setAccessibleName(words.join(' '));
    control->setProperty(controls::kSectionProperty, words.value(0));
    control->setProperty(controls::kMutesColumnProperty, purpose == Purpose::Mute);
    control->setAccessibleDescription(QCoreApplication::translate("panelkit", description(purpose)));
}

void nameReadout(QLabel *readout, const QString &section)
{
    readout->setProperty(controls::kSectionProperty, section);
    accessibility::nameReadout(readout, QCoreApplication::translate("panelkit", "%1 level").arg(section),
                               QCoreApplication::translate("panelkit", "Current level, in dB"));
}

} // namespace panelkit
