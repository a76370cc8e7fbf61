#pragma once

#include <QStringList>

class QLabel;
class QWidget;

// How screen readers name a panel's controls: by the texts the panel shows beside
// them (its column heading and the control's caption), so that the names are
// translated with the screen, followed by what the control does.
namespace panelkit {

enum class Purpose {
    Gain,
    InstrumentMode,
    Pad,
    PhantomPower,
    DirectMonitoring,
    Volume,
    Mute,
    Dim,
    PhoneLevel,
    HeadphoneSource,
};

// words: the column's heading first, then the control's caption, if it has one.
void nameControl(QWidget *control, const QStringList &words, Purpose purpose);
// A level readout: "<section> level"; its reading is its value.
void nameReadout(QLabel *readout, const QString &section);

} // namespace panelkit
