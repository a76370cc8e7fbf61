#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class Button;
class Knob;
class KorvistIoControl;
class QLabel;
class QSettings;
class QWidget;
struct MeterBlock;
struct MixerBlock;

namespace controls {

// The dynamic property that carries, on each control of a table, the key its
// state is saved under, for tools that look at the widgets alone (tests, the
// accessibility checks).
inline constexpr char kSavedKey[] = "savedKey";
// The one that carries, on each named control and readout, the heading of
// the panel's column it stands in ("MIC1", in the user's language): a
// surface that lays the panel out anew (the phone's page) groups by it.
inline constexpr char kSectionProperty[] = "panelSection";
// The one that marks, with true, the switch that silences the output of its
// column (its MUTE): the media keys' mute key and the on-screen display find it.
inline constexpr char kMutesColumnProperty[] = "mutesColumn";

// What a control does to the sound, which is what the safety rules go by.
enum class Kind {
    InputGain,    // a microphone input's gain
    OutputLevel,  // a speaker or headphone volume
    PhoneLevel,   // the phone input's level in an output
    Pad,          // on lowers a level: the 20 dB pad, MUTE, DIM
    PhantomPower, // 48 V for a condenser microphone
    Route,        // on opens a path or chooses another: DIRECT, the headphone source
    PlainSwitch,  // changes no level: the instrument switch
};

// One control of a panel, as it is saved, found and checked.
struct Control
{
    QString key; // as the ini file stores it: "Dial/SpeakerValue"
    Kind kind = Kind::PlainSwitch;
    Knob *knob = nullptr;     // the three level kinds
    Button *button = nullptr; // the others
    int defaultValue = 0;     // when the saved state has none; a switch's is off
    QString input;            // what a phantom power switch feeds: "MIC1"

    // The key without its group: what scripts and surfaces call it.
    QString name() const;
    // The panel's own name for it, in the user's language ("SPEAKER Volume"); its name where the panel gives none.
    QString label() const;
    // The heading of the panel's column it stands in (kSectionProperty); empty where the panel names none.
    QString section() const;
    // A switch counts as 0 (off) and 1 (on).
    int minimum() const;
    int maximum() const;
    // The user's volume ceiling on an output or phone level, if one is set:
    // nothing takes the level above it.
    std::optional<int> ceiling() const;
    bool takesCeiling() const { return kind == Kind::OutputLevel || kind == Kind::PhoneLevel; }
    int value() const;
    // As the file writes it: a whole number, or true/false.
    QString valueText() const;
    // The number the panel writes for the value: an RK2 gain of 20 reads 29.
    qlonglong shownValue() const;
    QWidget *widget() const;
    // Through the control's own setter, so its handler sends and saves it as a gesture would.
    void apply(int value) const;
};

// A level readout of a panel, as a control surface shows it: "MIC1". It
// shows on one label, or on two where the panel repeats it beside both
// outputs a phone level feeds.
struct Readout
{
    QString name;
    QList<QLabel *> labels;
    // The reading's level for this readout, full scale 2147483647.
    std::function<std::int32_t(const MeterBlock &)> level;

    // The level of a reading in dB, silence as kSilentDecibels.
    double decibelsIn(const MeterBlock &meters) const;
};
inline constexpr double kSilentDecibels = -160;
// The panel's own readouts show two readings a second.
inline constexpr int kPanelMeterRate = 2;
inline constexpr int kFastestMeterRate = 20;

// The values a replay ends with, control by control.
class Targets
{
public:
    int of(const QWidget *control) const { return values.value(control); }
    int of(const Control &control) const { return of(control.widget()); }
    void set(const Control &control, int value);

private:
    QHash<const QWidget *, int> values;
};

// A panel's controls, declared once, in the order its saved state is replayed
// when nothing else decides: keys, scripts, presets and the replay all read
// this table. It is a child of its panel, which finds it below the window.
class ControlTable : public QObject
{
    Q_OBJECT

public:
    // model names the panel's ini file and its presets: rk1, rk2 or rs.
    ControlTable(const QString &model, QSettings *settings, KorvistIoControl *device, MixerBlock *mixer,
                 QWidget *panel);

    void add(Knob *knob, const QString &key, Kind kind, int defaultValue);
    // input names what a phantom power switch feeds, marked with
    // QT_TRANSLATE_NOOP("Answer", ...): answers name it in the user's language.
    void add(Button *button, const QString &key, Kind kind, const char *input = nullptr);
    void addReadout(const QList<QLabel *> &labels, const QString &name,
                    std::function<std::int32_t(const MeterBlock &)> level);

    const QString &model() const { return modelName; }
    // Null when the panel had no usable ini file.
    QSettings *settings() const { return settingsFile; }
    KorvistIoControl *device() const { return ioControl; }
    MixerBlock *mixer() const { return mixerBlock; }
    const std::vector<Control> &controls() const { return entries; }
    const Control *find(const QString &name) const;
    QStringList names() const;
    const std::vector<Readout> &readouts() const { return readoutList; }
    // How many meter readings a second someone outside the window asked for
    // (a surface's level feed), 2 to 20; the panel's own labels keep 2.
    void askMeterRate(int readingsPerSecond);
    int meterRate() const { return readingsPerSecond; }

    // Writes into the panel's mixer block the entries the targets end with,
    // as the handlers would compute them, without sending anything.
    std::function<void(const Targets &)> stageMixer;

signals:
    // After every change of a control, whichever way it came: a hand, a key,
    // a script, a preset, a surface, a replay. Repeats of a value are told too.
    void changed(const controls::Control &control);
    // Every reading, at the rate asked for.
    void metersRead(const MeterBlock &meters);
    // A volume ceiling set or lifted, once the knob marks it. One that leaves
    // the level where it is changes no value, so changed() says nothing of
    // it, yet a surface that marks the ceiling must hear of it.
    void ceilingChanged(const controls::Control &control) const;

private:
    QString modelName;
    QSettings *settingsFile;
    KorvistIoControl *ioControl;
    MixerBlock *mixerBlock;
    std::vector<Control> entries;
    std::vector<Readout> readoutList;
    int readingsPerSecond = kPanelMeterRate;
};

// The table of the panel shown below root (the main window); null when none is.
ControlTable *shownTable(QObject *root);

} // namespace controls
