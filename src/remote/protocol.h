#pragma once

#include <sentence.h>

#include <QString>
#include <QStringList>

#include <optional>

// The line protocol between a script's command line and the running program:
// one request line, one answer line, UTF-8, each at most kMaxLineBytes with
// its newline. A request is its deadline, one space and a command: a verb,
// then one space and its argument if it takes one. An answer starts with the
// exit code the command line ends with (0 done, 1 refused, 3 no interface,
// 4 the device refused), one space, then its text, in which a backslash and a
// line break are escaped so that several lines fit in one.
//
// A client that stops waiting must never see its request carried out later
// (a retried toggle would toggle twice), so every request carries its
// deadline: the time, in milliseconds since 1970 UTC, when the client stops
// waiting for the program to begin. The program begins only while at least
// kStartMarginMs are left and its client has not closed the connection, and
// says so at once with the line kStarted; from then on the client waits for
// the answer, however long the device takes.
namespace remote {

inline constexpr int kMaxLineBytes = 4096;
// The time a whole request line may take from the connection's start, however
// it trickles in; a command line waits no longer for the program to begin.
inline constexpr int kRequestMs = 2000;
inline constexpr int kStartMarginMs = 500;
inline constexpr char kStarted[] = "+\n";
// How long a client waits for the answer to a request the program has begun.
inline constexpr int kFinishMs = 120000;

// The exit codes of a command line.
// NotRunning: nothing was changed, so a script may try again; MayHaveRun: the
// program began the request and ended without an answer, so it may have run.
enum ExitCode {
    Done = 0,
    Refused = 1,
    NotRunning = 2,
    NoInterface = 3,
    DeviceRefused = 4,
    ServedByAnotherUser = 5,
    MayHaveRun = 6,
};

enum class Verb {
    List, Get, Set, Step, PresetSave, PresetLoad, PresetList, PresetDelete, Show, Osc, OscAllow, Limit, Web, Hotkey,
    MediaKeys
};

struct Request
{
    Verb verb = Verb::List;
    QString argument;
    qint64 deadline = 0; // 0 in a command that is not a request yet
};

struct Answer
{
    int code = Done;
    // Scripts read it in English; the window shows it in the user's language.
    answers::Sentence text;
};

// The verbs as written in a request, which are the command line's options without "--".
QStringList verbNames();
bool takesArgument(Verb verb);
// Osc, Limit, Web, Hotkey and MediaKeys may go without their argument: then they ask for the state.
bool needsArgument(Verb verb);
// The requests of the program's services (control surfaces, the phone remote, the global shortcuts), which
// need no interface connected.
bool isServiceVerb(Verb verb);

// A command as the command line's arguments spell it, without a deadline.
// Nothing when the line holds no known verb or the wrong number of arguments; error says why.
std::optional<Request> parseCommand(const QString &line, QString &error);
// A request line: its deadline, one space, a command. Nothing without a deadline.
std::optional<Request> parseRequest(const QString &line, QString &error);
QByteArray encodeRequest(const Request &request);

QByteArray encodeAnswer(const Answer &answer);
// Nothing when the line is not an answer.
std::optional<Answer> parseAnswer(const QByteArray &line);

} // namespace remote
