#include "commandline.h"

#include "controlchange.h"
#include "presets.h"
#include "protocol.h"
#include "remoteserver.h"

#include <consoletext.h>
#include <foreground.h>
#include <localchannel.h>

#include <QDateTime>
#include <QDeadlineTimer>
#include <QLocalSocket>

#include <cstdio>
#include <optional>

namespace remote {

namespace {

const QString kOptionPrefix = QStringLiteral("--");

QString usage()
{
    return QStringLiteral("valid: --list, --get KEY, --set KEY=VALUE (on, off, toggle, true, false or a number), "
                          "--step KEY=N, --preset-save NAME, --preset-load NAME, --preset-list, --preset-delete NAME, --show, "
                          "--osc [on [PORT]|off], --osc-allow ADDRESS/BITS|none, --limit [KEY=DB|KEY=none], "
                          "--web [on [PORT]|off|forget], --hotkey [KEYS ACTION|KEYS none], "
                          "--media-keys [KEY [STEP]|off], --help");
}

// Qt's own options, which a start of the window may carry; those before the
// blank take a value.
const QStringList kQtOptionsWithValue = {
    QStringLiteral("platform"), QStringLiteral("platformpluginpath"), QStringLiteral("platformtheme"),
    QStringLiteral("plugin"), QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"), QStringLiteral("session"), QStringLiteral("style"), QStringLiteral("stylesheet"),
    QStringLiteral("display"), QStringLiteral("geometry"),
};
const QStringList kQtFlags = {QStringLiteral("reverse"), QStringLiteral("widgetcount"), QStringLiteral("nograb"),
                              QStringLiteral("dograb"), QStringLiteral("sync")};

// The first argument that is not one of Qt's options, or its value; empty when there is none.
QString firstUnknown(const QStringList &arguments)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString name = arguments[i];
        if (name.startsWith(kOptionPrefix))
            name.remove(0, 1);
        if (!name.startsWith(QLatin1Char('-')))
            return arguments[i];
        name.remove(0, 1);
        if (kQtOptionsWithValue.contains(name) && i + 1 < arguments.size())
            ++i;
        else if (!kQtFlags.contains(name) && !name.startsWith(QLatin1String("qmljsdebugger=")))
            return arguments[i];
    }
    return {};
}

bool namesCommand(const QStringList &arguments)
{
    for (const QString &argument : arguments)
        for (const QString &verb : verbNames())
            if (argument.startsWith(kOptionPrefix + verb.section(QLatin1Char('-'), 0, 0)))
                return true;
    return false;
}

const QStringList kTwoWordVerbs = {QStringLiteral("osc"), QStringLiteral("web"), QStringLiteral("hotkey"),
                                   QStringLiteral("media-keys")};

// "--get KEY" and "--get=KEY" alike; one command per start.
std::optional<Request> parse(const QStringList &arguments, QString &error)
{
    const QString option = arguments.value(0).section(QLatin1Char('='), 0, 0);
    const QString verb = option.mid(kOptionPrefix.size());
    const bool inlineArgument = arguments.value(0).contains(QLatin1Char('='));
    QStringList rest = arguments.mid(1);
    QString line = verb;
    // "--osc on PORT", "--web on PORT", "--hotkey KEYS ACTION" and "--media-keys KEY STEP" take two words after them.
    const qsizetype words = kTwoWordVerbs.contains(verb) ? 2 : 1;
    if (!option.startsWith(kOptionPrefix) || !verbNames().contains(verb)) {
        error = QStringLiteral("unknown option \"%1\"; %2").arg(arguments.value(0), usage());
        return std::nullopt;
    }
    if (inlineArgument)
        rest.prepend(arguments.value(0).section(QLatin1Char('='), 1));
    if (!rest.isEmpty()) {
        line += QLatin1Char(' ') + rest.mid(0, words).join(QLatin1Char(' '));
        rest = rest.mid(words);
    }
    if (!rest.isEmpty() || line.contains(QLatin1Char('\n'))) {
        error = QStringLiteral("one command at a time, and no more than its argument; %1").arg(usage());
        return std::nullopt;
    }
    std::optional<Request> request = parseCommand(line, error);
    if (!request)
        error += QStringLiteral("; ") + usage();
    else if (request->verb == Verb::PresetSave || request->verb == Verb::PresetLoad || request->verb == Verb::PresetDelete) {
        if (const std::optional<answers::Sentence> refused = presets::nameRefusal(request->argument)) {
            error = refused->english();
            return std::nullopt;
        }
    }
    return request;
}

// The running instance's answer, or NotRunning with the reason when it does
// not begin the request within kRequestMs, or MayHaveRun when it began but
// never finished.
Answer ask(Request request)
{
    const QDeadlineTimer deadline(kRequestMs);
    request.deadline = QDateTime::currentMSecsSinceEpoch() + kRequestMs;
    QLocalSocket socket;
    socket.connectToServer(channelName());
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return {NotRunning, QStringLiteral("Korvist Mixer is not running: start it, then try again")};
    // Whoever serves the name gets the request and could answer it falsely.
    if (!platform::localChannelServedBySameUser(socket.socketDescriptor()))
        return {ServedByAnotherUser, QStringLiteral("the channel %1 is served by a program of another user: "
                                                    "nothing was sent").arg(channelName())};
    if (request.verb == Verb::Show)
        platform::allowToTakeForeground(socket.socketDescriptor());
    socket.write(encodeRequest(request));
    const auto readLine = [&socket](const QDeadlineTimer &until) -> QByteArray {
        while (!socket.canReadLine() && socket.state() == QLocalSocket::ConnectedState && !until.hasExpired())
            socket.waitForReadyRead(int(until.remainingTime()));
        return socket.canReadLine() ? socket.readLine(kMaxLineBytes + 1) : QByteArray();
    };
    QByteArray line = readLine(deadline);
    const bool started = line == kStarted;
    if (started)
        line = readLine(QDeadlineTimer(kFinishMs));
    if (const std::optional<Answer> answer = parseAnswer(line))
        return *answer;
    if (started)
        return {MayHaveRun, QStringLiteral("Korvist Mixer began the request but gave no answer: it may have been "
                                           "carried out, so look (--get, --list) before trying again")};
    return {NotRunning, QStringLiteral("Korvist Mixer did not begin the request within %1 s; nothing was changed")
                            .arg(kRequestMs / 1000)};
}

QString helpText(int defaultOscPort, int defaultWebPort)
{
    return QStringLiteral(
        "Usage: KorvistDriver [OPTION]\n"
        "Without an option, starts Korvist Mixer, or brings up the window of the one that runs.\n"
        "One option at a time, for the running Korvist Mixer:\n"
        "  --list                  the connected interface's controls, their ranges and values\n"
        "  --get KEY               one control's value\n"
        "  --set KEY=VALUE         a knob to a number, a switch on, off or toggle\n"
        "  --step KEY=N            a knob N dB up or down from where it stands, stopping at a limit\n"
        "  --preset-save NAME      the panel's state as a preset\n"
        "  --preset-load NAME      a preset, through the same safety rules as a replay\n"
        "  --preset-list           the connected model's presets\n"
        "  --preset-delete NAME    a preset, deleted\n"
        "  --show                  the window, brought to the front\n"
        "  --osc                   whether control surfaces (OSC over UDP) are served, and where\n"
        "  --osc on [PORT]         serve them (port %1 unless given or chosen before)\n"
        "  --osc off               stop serving them\n"
        "  --osc-allow ADDRESS/BITS  answer the hosts of that network too (a /16 at the widest, /64 for IPv6),\n"
        "                          e.g. 192.168.1.0/24\n"
        "  --osc-allow none        answer this computer only (the default)\n"
        "  --limit                 the volume limits of the connected model's output and phone levels\n"
        "  --limit KEY=DB          no way in takes that level above DB; a level above it comes down now\n"
        "  --limit KEY=none        lifts that limit\n"
        "  --web                   whether the phone remote is served, its address and pairing code\n"
        "  --web on [PORT]         serve the panel to phones' browsers on the allowed network (port %2)\n"
        "  --web off               stop serving them\n"
        "  --web forget            forget every paired phone\n"
        "  --hotkey                the global shortcuts, which work while any program has the focus\n"
        "  --hotkey KEYS ACTION    a shortcut: KEYS such as \"Ctrl+Alt+Up\" (with Ctrl, Alt or Meta), ACTION\n"
        "                          \"step KEY=N\" (N from -%3 to %3), \"toggle KEY\", \"preset NAME\" or \"show\"\n"
        "  --hotkey KEYS none      removes that shortcut\n"
        "  --media-keys            whether the keyboard's volume keys step an output of the interface\n"
        "  --media-keys KEY [STEP] they step that output (%4 dB unless given) and the mute key toggles its MUTE;\n"
        "                          while on, they no longer move the system volume\n"
        "  --media-keys off        gives them back to the system\n"
        "  --help                  this text\n"
        "Exit codes: 0 done, 1 refused, 2 Korvist Mixer is not running or did not begin (nothing was changed),\n"
        "3 no interface connected, 4 the interface refused the change, 5 the channel is served by another\n"
        "user's program, 6 Korvist Mixer began but gave no answer (the change may have been made).")
        .arg(defaultOscPort)
        .arg(defaultWebPort)
        .arg(kLargestKeyStep)
        .arg(kDefaultKeyStep);
}

QString unknownArgumentText(const QStringList &arguments)
{
    return QStringLiteral("unknown option \"%1\": nothing was started; see --help").arg(firstUnknown(arguments));
}

int runCommandLine(const QStringList &arguments)
{
    QString error;
    const std::optional<Request> request = parse(arguments, error);
    if (!request) {
        printLine(stderr, error);
        return Refused;
    }
    const Answer answer = ask(*request);
    printLine(answer.code == Done ? stdout : stderr, answer.text.english());
    return answer.code;
}

} // namespace

void printLine(std::FILE *stream, const QString &text)
{
    if (!text.isEmpty())
        platform::writeText(stream, (text + QLatin1Char('\n')).toUtf8().toStdString());
}

Start classify(const QStringList &arguments)
{
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h")))
        return Start::Help;
    if (namesCommand(arguments))
        return Start::Command;
    return firstUnknown(arguments).isEmpty() ? Start::Window : Start::Unknown;
}

int runWithoutWindow(Start start, const QStringList &arguments, int defaultOscPort, int defaultWebPort)
{
    switch (start) {
    case Start::Help:
        printLine(stdout, helpText(defaultOscPort, defaultWebPort));
        return Done;
    case Start::Unknown:
        printLine(stderr, unknownArgumentText(arguments));
        return Refused;
    case Start::Command:
    case Start::Window:
        break;
    }
    return runCommandLine(arguments);
}

void showRunningInstance()
{
    ask({Verb::Show, QString()});
}

} // namespace remote
