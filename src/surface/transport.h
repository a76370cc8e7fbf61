#pragma once

#include <controltable.h>
#include <sentence.h>

#include <QByteArrayList>
#include <QHostAddress>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>
#include <vector>

// The surfaces' seam, seen from a transport. What a command means, the
// safety gate, the throttle, subscriptions, the reply budget, answers and
// the level feed are PanelSurface's, written once; a transport (OSC over
// UDP, the phone's WebSocket) turns its clients' bytes into Commands,
// hands them to PanelSurface::handle with the Peer they came from, and
// carries back the Outgoing items the seam sends it, in its own form:
//
//   transport                         PanelSurface
//   bytes -> Command, Peer  ------->  handle(command, from)
//   hang-up                 ------->  hangUp(peer)
//   encode(item) -> messages <------  every answer, state, change and level
//   deliver(message, peer)  <------   once the peer's host budget holds it
namespace surface {

class Transport;

// A client of a transport: where the seam's answers go, and whose host's
// budget they draw on.
struct Peer
{
    Transport *via = nullptr;
    QHostAddress host;
    // A UDP port, or the transport's own number for a client that holds a connection.
    quint16 port = 0;

    bool operator==(const Peer &other) const
    {
        return via == other.via && host == other.host && port == other.port;
    }
};

// One control as surfaces see it.
struct ControlState
{
    QString name;  // as scripts call it: "SpeakerValue"
    QString label; // the panel's own name for it, in the user's language
    QString group; // the heading of the panel's column it stands in, in the user's language: "MIC1"
    controls::Kind kind = controls::Kind::PlainSwitch;
    int minimum = 0;
    int maximum = 1;
    std::optional<int> ceiling; // the user's volume limit, if set
    int value = 0;
    qlonglong shown = 0; // the number the panel writes for value (an RK2 gain of 20 reads 29)
    std::optional<double> fader; // knobs only: where the value sits on a fader, 0..1
    std::optional<double> ceilingFader; // where the volume limit sits on that fader
};

// Where a readout shows on the panel: under the heading of a column (a
// control's group), by the name the label has there.
struct ReadoutPlace
{
    QString group;
    QString label;
};

// The model and every value: a new subscription, a refresh, another panel.
// An empty model: no interface.
struct State
{
    QString model;
    std::vector<ControlState> controls;
    QStringList readouts; // their names, in the order of Levels: "MIC1"
    // Where each shows: the RK2's phone readout stands beside both phone levels.
    std::vector<std::vector<ReadoutPlace>> readoutPlaces;
};

// A reading of the panel's readouts, in their order.
struct Level
{
    QString readout; // "MIC1"
    double decibels = controls::kSilentDecibels;
    double position = 0; // on the output levels' taper, -80..+6 dB over 0..1
};
using Levels = std::vector<Level>;

// Why a command was refused, for a transport that words a refusal itself
// (the phone's page, in the phone's language); Other where only the
// sentence says why.
enum class Refusal {
    Other,
    NoInterface,
    AboveLimit,       // above the user's volume limit of the control
    PhantomPower,     // 48 V on, which takes a hand at the computer
    NoPreset,         // no preset of that name for the connected model
    PresetUnfit,      // the preset was checked whole and refused: nothing changed
    InterfaceRefused, // the interface refused part of a preset
};

// An answer to one command: its first line says what came of it, each
// further line is a note (48 V left off, a level held at its limit).
struct Reply
{
    bool refused = false;
    answers::Sentence text;
    Refusal why = Refusal::Other;
    int limit = 0;    // AboveLimit: the limit, in the control's unit
    QString subject;  // the preset's name, for the refusals of one
};

// Every control with its label, kind and range: a surface finding its way.
struct Listing
{
    std::vector<ControlState> controls;
};

struct PresetList
{
    QStringList names;
};

// Alive, with the model connected (empty: none).
struct Pong
{
    QString model;
};

using Outgoing = std::variant<State, ControlState, Levels, Reply, Listing, PresetList, Pong>;

class Transport
{
public:
    virtual ~Transport() = default;

    // The item in this transport's form: its messages, each carried whole
    // and paid for whole; none for an item it has no form for.
    virtual QByteArrayList encode(const Outgoing &item) const = 0;
    // Carries one message to a client; the seam has already paid for it.
    virtual void deliver(const QByteArray &message, const Peer &to) = 0;
    // Whether a subscription lapses unless renewed: a sender over UDP never
    // hangs up; a client that holds a connection is subscribed until hangUp.
    virtual bool leases() const = 0;
    // Whether host:port is one of this transport's own sockets, which a
    // subscription must never name: the program would read its own feedback
    // as commands. A transport whose clients hold connections has none a
    // subscription names.
    virtual bool isOwnSocket(const QHostAddress &, quint16) const { return false; }
};

} // namespace surface
