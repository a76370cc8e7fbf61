#include "commandline.h"

#include "presets.h"
#include "protocol.h"
#include "remoteserver.h"

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

void print(std::FILE *stream, const QString &text)
{
    if (text.isEmpty())
        return;
    std::fputs((text + QLatin1Char('\n')).toUtf8().constData(), stream);
    std::fflush(stream);
}

QString usage()
{
    return QStringLiteral("valid: --list, --get KEY, --set KEY=VALUE (on, off, toggle, true, false or a number), "
                          "--preset-save NAME, --preset-load NAME, --preset-list, --preset-delete NAME");
}

// "--get KEY" and "--get=KEY" alike; one command per start.
std::optional<Request> parse(const QStringList &arguments, QString &error)
{
    const QString option = arguments.value(0).section(QLatin1Char('='), 0, 0);
    const QString verb = option.mid(kOptionPrefix.size());
    const bool inlineArgument = arguments.value(0).contains(QLatin1Char('='));
    QStringList rest = arguments.mid(1);
    QString line = verb;
    if (!option.startsWith(kOptionPrefix) || !verbNames().contains(verb)) {
        error = QStringLiteral("unknown option \"%1\"; %2").arg(arguments.value(0), usage());
        return std::nullopt;
    }
    if (inlineArgument)
        rest.prepend(arguments.value(0).section(QLatin1Char('='), 1));
    if (!rest.isEmpty())
        line += QLatin1Char(' ') + rest.takeFirst();
    if (!rest.isEmpty() || line.contains(QLatin1Char('\n'))) {
        error = QStringLiteral("one command at a time, and no more than its argument; %1").arg(usage());
        return std::nullopt;
    }
    std::optional<Request> request = parseRequest(line, error);
    if (!request)
        error += QStringLiteral("; ") + usage();
    else if (request->verb == Verb::PresetSave || request->verb == Verb::PresetLoad || request->verb == Verb::PresetDelete) {
        if (const std::optional<QString> refused = presets::nameRefusal(request->argument)) {
            error = *refused;
            return std::nullopt;
        }
    }
    return request;
}

// The running instance's answer, or NotRunning with the reason when it does
// not begin the request within kSilenceMs, or began but never finished.
Answer ask(Request request)
{
    const QDeadlineTimer deadline(kSilenceMs);
    if (request.verb == Verb::Show)
        platform::allowOtherToTakeForeground();
    request.deadline = QDateTime::currentMSecsSinceEpoch() + kSilenceMs;
    QLocalSocket socket;
    socket.connectToServer(channelName());
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return {NotRunning, QStringLiteral("Korvist Mixer is not running: start it, then try again")};
    // Whoever serves the name gets the request and could answer it falsely.
    if (!platform::localChannelServedBySameUser(socket.socketDescriptor()))
        return {ServedByAnotherUser, QStringLiteral("the channel %1 is served by a program of another user: "
                                                    "nothing was sent").arg(channelName())};
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
        return {NotRunning, QStringLiteral("Korvist Mixer began the request but gave no answer")};
    return {NotRunning, QStringLiteral("Korvist Mixer did not answer within %1 s; nothing was changed")
                            .arg(kSilenceMs / 1000)};
}

} // namespace

bool isCommandLine(const QStringList &arguments)
{
    for (const QString &argument : arguments)
        for (const QString &verb : verbNames())
            if (argument.startsWith(kOptionPrefix + verb.section(QLatin1Char('-'), 0, 0)))
                return true;
    return false;
}

int runCommandLine(const QStringList &arguments)
{
    QString error;
    const std::optional<Request> request = parse(arguments, error);
    if (!request) {
        print(stderr, error);
        return Refused;
    }
    const Answer answer = ask(*request);
    print(answer.code == Done ? stdout : stderr, answer.text);
    return answer.code;
}

void showRunningInstance()
{
    ask({Verb::Show, QString()});
}

} // namespace remote
