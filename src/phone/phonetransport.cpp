#include "phonetransport.h"

#include "phoneserver.h"

namespace phone {

namespace {

using surface::Outgoing;

surface::Command seamCommand(const Command &command)
{
    using Kind = surface::Command::Kind;
    surface::Command seamCommand;
    seamCommand.control = command.control;
    // Refusals and the log name what the phone moved, or the preset it asked for.
    seamCommand.said = command.control.isEmpty() ? command.text : command.control;
    switch (command.kind) {
    case Command::Kind::Value:
        seamCommand.kind = Kind::Value;
        seamCommand.text = command.text;
        break;
    case Command::Kind::Fader:
        seamCommand.kind = Kind::Fader;
        seamCommand.number = command.number;
        break;
    case Command::Kind::Preset:
        seamCommand.kind = Kind::PresetLoad;
        seamCommand.text = command.text;
        break;
    case Command::Kind::Refresh:
        seamCommand.kind = Kind::Refresh;
        break;
    case Command::Kind::Meters:
        seamCommand.kind = Kind::Meters;
        seamCommand.number = command.number;
        break;
    }
    return seamCommand;
}

} // namespace

PhoneTransport::PhoneTransport(surface::PanelSurface &panelSurface, PhoneServer &phoneServer, QObject *parent)
    : QObject(parent)
    , seam(panelSurface)
    , server(phoneServer)
{
    connect(&server, &PhoneServer::joined, this, &PhoneTransport::join);
    connect(&server, &PhoneServer::commanded, this, &PhoneTransport::command);
    connect(&server, &PhoneServer::left, this, &PhoneTransport::leave);
}

// The seam outlives the phone remote: nothing of it may still name this transport.
PhoneTransport::~PhoneTransport()
{
    for (const surface::Peer &peer : std::as_const(peers))
        seam.hangUp(peer);
}

void PhoneTransport::setAtConsole(bool at)
{
    if (at == atConsole)
        return;
    atConsole = at;
    for (const surface::Peer &peer : std::as_const(peers))
        seam.handle(surface::Command {surface::Command::Kind::Refresh}, peer);
}

QByteArrayList PhoneTransport::encode(const Outgoing &item) const
{
    if (const auto *state = std::get_if<surface::State>(&item)) {
        const Presence presence = !atConsole              ? Presence::OtherSession
                                : state->model.isEmpty() ? Presence::NoInterface
                                                         : Presence::Shown;
        return {encodeView(presence, *state, presence == Presence::Shown ? seam.presets() : QStringList())};
    }
    if (const auto *control = std::get_if<surface::ControlState>(&item))
        return {encodeControl(*control)};
    if (const auto *levels = std::get_if<surface::Levels>(&item))
        return {encodeLevels(*levels)};
    if (const auto *reply = std::get_if<surface::Reply>(&item))
        return {encodeReply(*reply)};
    // The page asks for no listing, preset list or sign of life: the view carries them.
    return {};
}

void PhoneTransport::deliver(const QByteArray &message, const surface::Peer &to)
{
    server.push(to.port, message, isLevels(message));
}

// A phone's client number stands for the port a surface over UDP would listen on.
void PhoneTransport::join(int client, const QHostAddress &host)
{
    const surface::Peer peer {this, host, quint16(client)};
    peers.insert(client, peer);
    seam.handle(surface::Command {surface::Command::Kind::Subscribe, {}, double(peer.port)}, peer);
}

void PhoneTransport::command(int client, const Command &command)
{
    const auto peer = peers.constFind(client);
    if (peer != peers.cend())
        seam.handle(seamCommand(command), *peer);
}

void PhoneTransport::leave(int client)
{
    if (peers.contains(client))
        seam.hangUp(peers.take(client));
}

} // namespace phone
