#include "phoneservice.h"

#include <settingsfile.h>
#include <storedvalue.h>
#include <surfacesettings.h>

#include <QDebug>
#include <QSettings>

#include <memory>

namespace phone {

namespace {

const QString kFileName = QStringLiteral("phone.ini");
const QString kOnKey = QStringLiteral("Phone/On");
const QString kPortKey = QStringLiteral("Phone/Port");

struct Saved
{
    bool on = false;
    quint16 port = PhoneServer::kDefaultPort;
};

// A missing or damaged file reads as off, on the default port.
Saved loadSaved()
{
    Saved saved;
    const std::unique_ptr<QSettings> file(savedstate::openSettingsFile(kFileName, nullptr));
    if (!file)
        return saved;
    saved.on = savedstate::parseStoredSwitch(file->value(kOnKey)).value_or(false);
    saved.port = surface::parsePort(file->value(kPortKey)).value_or(PhoneServer::kDefaultPort);
    return saved;
}

bool save(const Saved &saved)
{
    const std::unique_ptr<QSettings> file(savedstate::openSettingsFile(kFileName, nullptr));
    return savedstate::save(file.get(), kOnKey, saved.on) && savedstate::save(file.get(), kPortKey, saved.port);
}

QString usage()
{
    return QStringLiteral("valid: --web, --web on [PORT], --web off, --web forget");
}

} // namespace

PhoneService::PhoneService(surface::PanelSurface &seam, QObject *parent)
    : QObject(parent)
    , server(phones)
    , transport(seam, server)
    , approvals(server)
{
    const Saved saved = loadSaved();
    savedPort = saved.port;
    wantedOn = saved.on;
    connect(&server, &PhoneServer::switched, this, &PhoneService::switched);
}

void PhoneService::start()
{
    if (wantedOn)
        serveAsChosen();
}

// The choice stays as the user made it: a port taken now may be free at the next start.
void PhoneService::serveAsChosen()
{
    if (const remote::Answer answer = apply(true, savedPort); answer.code != remote::Done)
        qWarning().noquote() << "Phone remote:" << answer.text.english();
}

remote::Answer PhoneService::command(const remote::Request &request)
{
    const QStringList words = request.argument.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words == QStringList {QStringLiteral("forget")}) {
        bool saved = true;
        for (const PairedPhone &phone : phones.phones())
            saved = phones.forget(phone.id) && saved;
        if (!saved)
            return {remote::Refused, QStringLiteral("every paired phone is cut off, but phones.ini could not be written: "
                                                    "they will be paired again at the next start; %1")
                                         .arg(stateText())};
        return {remote::Done, QStringLiteral("every paired phone forgotten; %1").arg(stateText())};
    }
    const std::variant<surface::SwitchRequest, QString> asked =
            surface::parseSwitchRequest(words, savedPort, QStringLiteral("TCP"));
    if (const QString *why = std::get_if<QString>(&asked))
        return {remote::Refused, why->isEmpty() ? usage() : *why};
    const surface::SwitchRequest &wanted = std::get<surface::SwitchRequest>(asked);
    if (wanted.stateOnly)
        return {remote::Done, stateText()};
    return apply(wanted.on, wanted.port);
}

remote::Answer PhoneService::switchOn(bool on)
{
    return apply(on, savedPort);
}

remote::Answer PhoneService::serve(bool on, quint16 port)
{
    return apply(on, port);
}

// Opens the port first and saves the choice only once it is made: a port that
// is taken leaves the saved state as it was.
remote::Answer PhoneService::apply(bool on, quint16 port)
{
    server.stop();
    // In the background another session's program serves: the port is its to take.
    if (on && atConsole) {
        QString error;
        if (!server.start(port, surface::loadSettings().allowed, error))
            return {remote::Refused, QStringLiteral("the phone remote could not serve TCP port %1 (%2); it is off")
                                         .arg(port)
                                         .arg(error)};
        qDebug().noquote() << "Phone remote serving" << server.address();
    }
    savedPort = port;
    wantedOn = on;
    if (!save({on, port}))
        return {remote::Refused, QStringLiteral("the phone remote is %1, but the choice could not be saved").arg(stateText())};
    return {remote::Done, stateText()};
}

QString PhoneService::stateText()
{
    if (wantedOn && !atConsole)
        return QStringLiteral("on, but closed while the interface is in use in another session (port %1)").arg(savedPort);
    if (!server.isOn())
        return QStringLiteral("off (port %1 when on)").arg(savedPort);
    return QStringLiteral("on, serving %1 (pairing code %2)").arg(server.address(), server.pairingCode().current());
}

void PhoneService::followAllowedNetwork()
{
    if (server.isOn())
        apply(true, savedPort);
}

void PhoneService::setAtConsole(bool at)
{
    if (at == atConsole)
        return;
    atConsole = at;
    transport.setAtConsole(at);
    if (!wantedOn)
        return;
    if (!at) {
        server.stop();
        qDebug() << "Phone remote closed while the interface is in use in another session.";
    } else {
        serveAsChosen();
    }
}

} // namespace phone
