#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// What the phone remote needs from the shown panel, and nothing of how the
// panel is found or changed: the surfaces' seam (commands through the safety
// gate, the table's changes as feedback) stands behind it. A phone is known
// here by its client number alone.
namespace phone {

// A phone's request, as parsed from its message.
struct Command
{
    enum class Kind {
        Value,   // control takes text as a script gives it: a whole number, on or off
        Fader,   // control goes to position, 0..1 over its travel (the console taper)
        Preset,  // the preset name is loaded
        Refresh, // the whole view again
        Meters,  // number level readings a second while the page is visible, 0 when it is not
    };
    Kind kind = Kind::Refresh;
    QString control; // Value, Fader
    QString text;    // Value: the value's text; Preset: its name
    double number = 0; // Fader: the position; Meters: readings a second
};

// One control as a phone shows it.
struct ControlView
{
    enum class Kind { Level, Gain, Switch, PhantomPower };
    QString name;  // as scripts and surfaces call it: "SpeakerValue"
    QString label; // the panel's own name for it, in the user's language
    Kind kind = Kind::Switch;
    int minimum = 0;
    int maximum = 1;
    int value = 0;
    double fader = 0; // where the value sits on a fader, 0..1 (knobs only)
};

struct PanelView
{
    enum class Presence { Shown, NoInterface, OtherSession };
    Presence presence = Presence::NoInterface;
    QString model;
    QList<ControlView> controls;
    QStringList readouts; // their labels, in the order levels come
    QStringList presets;
};

// The program's answer to one phone's request.
struct Reply
{
    bool refused = false;
    QString text;      // in the user's language
    QStringList notes; // a preset's notes: a level held at its ceiling, 48 V left off
};

class PhonePanel : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Carries a phone's command out through the safety gate, as a surface's
    // would be; what comes of it arrives as controlChanged, or as a reply.
    virtual void handle(const Command &command, int client) = 0;
    virtual PanelView view() const = 0;
    // Readings a second the phones want, the fastest of them; 0 when none watches.
    virtual void askMeterRate(int readingsPerSecond) = 0;

signals:
    // The whole view changed: another model, no interface, a preset saved.
    void viewChanged();
    // A control changed, whichever way it came.
    void controlChanged(const phone::ControlView &control);
    // A reading, in dB, in the order of the view's readouts.
    void levelsRead(const QList<double> &decibels);
    void replied(int client, const phone::Reply &reply);
};

} // namespace phone
