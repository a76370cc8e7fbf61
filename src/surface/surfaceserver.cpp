#include "surfaceserver.h"

#include "addresses.h"

#include <QDebug>

namespace surface {

namespace {

QString usage()
{
    return QStringLiteral("valid: --osc, --osc on [PORT], --osc off, --osc-allow ADDRESS/BITS, --osc-allow none");
}

} // namespace

SurfaceServer::SurfaceServer(QWidget *root, QObject *parent)
    : QObject(parent)
    , settings(loadSettings())
    , log(this)
    , endpoint(log, this)
    , panel(root, log, this)
{
    retrying.setInterval(kRetryMs);
    connect(&retrying, &QTimer::timeout, this, &SurfaceServer::retry);
    connect(&endpoint, &OscEndpoint::received, &panel, [this](const Message &message, const Peer &from) {
        panel.subscriptions().heard(from);
        if (isOwnOutput(message.address))
            return log.count(DropLog::OwnOutput);
        const std::variant<Command, answers::Sentence> command = interpret(message);
        if (const auto *unknown = std::get_if<answers::Sentence>(&command))
            return panel.refuseUnknown(*unknown, message.address, from);
        panel.handle(std::get<Command>(command), from);
    });
}

void SurfaceServer::start()
{
    if (!settings.on || !atConsole)
        return;
    QString problem;
    if (endpoint.open(settings.port, settings.allowed, problem)) {
        qDebug().noquote() << "OSC listening on" << endpoint.address();
        emit switched(true);
        return;
    }
    // The choice stays as the user made it: the program holding the port may let it go.
    busy = problem;
    retrying.start();
    qWarning().noquote() << "OSC:" << stateText();
    emit unavailable(answers::Sentence(QT_TRANSLATE_NOOP("Answer", "Control surfaces (OSC) cannot listen: UDP port %1 "
                                                                   "could not be opened (%2). Trying again every %3 "
                                                                   "seconds."))
                         .arg(int(settings.port))
                         .arg(problem)
                         .arg(kRetryMs / 1000));
}

void SurfaceServer::retry()
{
    reopen();
    if (isOn() || !settings.on || !atConsole) {
        retrying.stop();
        busy.clear();
    }
}

remote::Answer SurfaceServer::command(const remote::Request &request)
{
    SurfaceSettings wanted = settings;
    const QStringList words = request.argument.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (request.verb == remote::Verb::OscAllow) {
        if (words.size() != 1)
            return {remote::Refused, usage()};
        if (words.front() == QLatin1String("none"))
            return allow(std::nullopt);
        if (const std::optional<Network> network = parseNetwork(words.front()))
            return allow(network);
        return {remote::Refused, QStringLiteral("\"%1\" is not a network: give an address and its bits, "
                                                "192.168.1.0/24 (at most a /16, or a /64 for IPv6), or none")
                                     .arg(words.front())};
    }
    const std::variant<SwitchRequest, QString> asked = parseSwitchRequest(words, settings.port, QStringLiteral("UDP"));
    if (const QString *why = std::get_if<QString>(&asked))
        return {remote::Refused, why->isEmpty() ? usage() : *why};
    const SwitchRequest &switchRequest = std::get<SwitchRequest>(asked);
    if (switchRequest.stateOnly)
        return {remote::Done, stateText()};
    wanted.on = switchRequest.on;
    wanted.port = switchRequest.port;
    return apply(wanted);
}

remote::Answer SurfaceServer::switchOn(bool on)
{
    return serve(on, settings.port);
}

remote::Answer SurfaceServer::serve(bool on, quint16 port)
{
    SurfaceSettings wanted = settings;
    wanted.on = on;
    wanted.port = port;
    return apply(wanted);
}

remote::Answer SurfaceServer::allow(const std::optional<Network> &network)
{
    SurfaceSettings wanted = settings;
    wanted.allowed = network;
    return apply(wanted);
}

QList<Subscribers::Subscription> SurfaceServer::subscriptions()
{
    QList<Subscribers::Subscription> ofOsc;
    for (const Subscribers::Subscription &subscription : panel.subscriptions().subscriptions())
        if (subscription.peer.via == &endpoint)
            ofOsc.append(subscription);
    return ofOsc;
}

void SurfaceServer::dropSubscription(const QHostAddress &host, quint16 port)
{
    panel.subscriptions().remove({&endpoint, host, port});
}

// Opens the port first and saves the choice only once it is made: a port that
// is taken leaves the saved state as it was.
remote::Answer SurfaceServer::apply(const SurfaceSettings &wanted)
{
    const bool wasOn = isOn();
    const quint16 wasPort = settings.port;
    const std::optional<Network> wasAllowed = settings.allowed;
    if (wanted.on && atConsole) {
        QString problem;
        if (!endpoint.open(wanted.port, wanted.allowed, problem)) {
            if (wasOn)
                endpoint.open(settings.port, settings.allowed, problem);
            emit switched(isOn());
            return {remote::Refused, QStringLiteral("UDP port %1 could not be opened (%2); OSC is %3")
                                         .arg(wanted.port)
                                         .arg(problem, stateText())};
        }
        qDebug().noquote() << "OSC listening on" << endpoint.address();
    } else {
        endpoint.close();
    }
    settings = wanted;
    retrying.stop();
    busy.clear();
    const bool saved = saveSettings(settings);
    if (wasOn != isOn() || wasPort != settings.port)
        emit switched(isOn());
    if (saved && wasAllowed != settings.allowed)
        emit allowedChanged();
    if (!saved)
        return {remote::Refused, QStringLiteral("OSC is %1, but the choice could not be saved").arg(stateText())};
    return {remote::Done, stateText()};
}

void SurfaceServer::followPanel()
{
    panel.followPanel();
    // The port may have been another session's program's until it left the console.
    if (panel.table())
        reopen();
}

void SurfaceServer::setAtConsole(bool at)
{
    atConsole = at;
    if (!at && isOn()) {
        endpoint.close();
        qDebug() << "OSC port closed while the interface is in use in another session.";
        emit switched(false);
    } else if (at) {
        reopen();
    }
}

void SurfaceServer::reopen()
{
    QString problem;
    if (!settings.on || isOn() || !atConsole || !endpoint.open(settings.port, settings.allowed, problem))
        return;
    qDebug().noquote() << "OSC listening on" << endpoint.address();
    emit switched(true);
}

QString SurfaceServer::stateText() const
{
    const QString hosts = settings.allowed
                            ? QStringLiteral("this computer and %1").arg(networkText(*settings.allowed))
                            : QStringLiteral("this computer only");
    if (isOn())
        return QStringLiteral("on, listening on %1 (%2)").arg(endpoint.address(), hosts);
    if (!busy.isEmpty())
        return QStringLiteral("on, but UDP port %1 could not be opened (%2); trying again every %3 seconds (%4)")
            .arg(settings.port)
            .arg(busy)
            .arg(kRetryMs / 1000)
            .arg(hosts);
    if (settings.on && !atConsole)
        return QStringLiteral("on, but closed while the interface is in use in another session (port %1; %2)")
            .arg(settings.port)
            .arg(hosts);
    return QStringLiteral("off (port %1 when on; %2)").arg(settings.port).arg(hosts);
}

} // namespace surface
