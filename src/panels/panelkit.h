#pragma once

#include <safetygate.h>

#include <QString>

#include <cstdint>
#include <functional>
#include <initializer_list>

class Button;
class Knob;
class KorvistIoControl;
class QFrame;
class QHBoxLayout;
class QLabel;
class QVBoxLayout;
class QWidget;
struct MeterBlock;
namespace controls {
class ControlTable;
}

// What every device panel shares: its device connection, the standard look
// of its labels, buttons and knobs, and the rules for levels.
// Nothing here knows a model.
namespace panelkit {

inline const QString kHeadingStyle = QStringLiteral("font-weight: bold; font-size: 12px; color: white;");
inline const QString kCaptionStyle = QStringLiteral("font-size: 12px; color: white;");
inline const QString kSmallCaptionStyle = QStringLiteral("font-size: 10px; color: white;");
inline const QString kLevelStyle = QStringLiteral("color: #888888; font-size: 8px;");
inline const QString kInitialLevelText = QStringLiteral("-160 dB");

// Opens the panel's own connection and sets the output volume of the given
// channels to 100. Null, after logging openFailure or the volume failure, when
// the panel must stay empty: no device, or the last volume request failed.
KorvistIoControl *connectPanel(const char *openFailure, std::initializer_list<int> outputChannels);

// For the panel's destructor, before it frees its connection and its file:
// a control can still emit while the window closes (a knob's edit box that
// loses the focus commits), and no handler may run on what is already gone.
void detachControls(QWidget *panel);

QLabel *label(const QString &text, const QString &style, QWidget *parent);
QLabel *levelLabel(QWidget *parent);
QFrame *separator(QWidget *parent);
Button *standardButton(const QString &text, const QString &accent, QWidget *parent);
Button *outputButton(const QString &text, const QString &accent, QWidget *parent);
Knob *largeKnob(int minimum, int maximum, QWidget *parent);
Knob *smallKnob(int minimum, int maximum, QWidget *parent);
// A large output volume knob, -80 to +6 dB.
Knob *volumeKnob(QWidget *parent);
// A large microphone gain knob, 0 to maximum, with the gain's yellow arc.
Knob *gainKnob(int maximum, QWidget *parent);

// The panel's own layout: its columns side by side, centred, no margins.
QHBoxLayout *panelLayout(QWidget *panel);
// The columns of a panel: inputs on the left, outputs on the right.
QVBoxLayout *inputColumn();
QVBoxLayout *outputColumn();
QHBoxLayout *row(std::initializer_list<QWidget *> widgets);
QHBoxLayout *centredRow(std::initializer_list<QWidget *> widgets);
QVBoxLayout *centredColumn(std::initializer_list<QWidget *> widgets);
// A small phone-level knob with its readout above its caption to the right.
QHBoxLayout *phoneRow(Knob *knob, QLabel *level, const QString &caption, QWidget *parent);

// Replays the panel's ini file as the interface arrives, or as this session
// takes it over from another: every control's handler sends its state and
// writes it back.
void restoreSavedState(const controls::ControlTable &table, safetygate::Way arrival);

// -80 when muted; otherwise 20 dB less when dimmed. MUTE wins over DIM.
int effectiveLevel(int dB, bool muted, bool dimmed);
// The mean of two levels, without overflow, truncated toward zero.
std::int32_t meanLevel(std::int32_t a, std::int32_t b);
// levelToDb with one decimal and " dB"; level 0 reads as Qt prints minus infinity.
QString levelText(std::int32_t level);
// What a readout reads of the device's levels: one input channel's, or the
// phone input's, the mean of its pair.
std::function<std::int32_t(const MeterBlock &)> channelLevel(int channel);
std::function<std::int32_t(const MeterBlock &)> phoneLevel();

} // namespace panelkit
