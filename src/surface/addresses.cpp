#include "addresses.h"

#include <QCoreApplication>

#include <cmath>

namespace surface {

namespace {

using answers::Sentence;

const QString kPrefix = QStringLiteral("/korvist/");
const QString kFaderSuffix = QStringLiteral("/fader");

bool isName(const QString &text)
{
    return !text.isEmpty() && !text.contains(QLatin1Char('/'));
}

// A number, given as one or as its text ("Send string" in Companion).
std::optional<double> numberIn(const Argument &argument)
{
    if (const double *number = std::get_if<double>(&argument))
        return *number;
    bool ok = false;
    const QString *text = std::get_if<QString>(&argument);
    const double number = text ? text->trimmed().toDouble(&ok) : 0;
    return ok && std::isfinite(number) ? std::optional(number) : std::nullopt;
}

// What the message carried, for a refusal: nothing, nil, 1.5, "abc", 2 arguments.
Sentence described(const std::vector<Argument> &arguments)
{
    if (arguments.empty())
        return Sentence(QT_TRANSLATE_NOOP("Answer", "nothing"));
    if (arguments.size() > 1)
        return Sentence(QT_TRANSLATE_NOOP("Answer", "%1 arguments")).arg(int(arguments.size()));
    const Argument &argument = arguments.front();
    if (const double *number = std::get_if<double>(&argument))
        return QString::number(*number);
    if (const QString *text = std::get_if<QString>(&argument))
        return QLatin1Char('"') + *text + QLatin1Char('"');
    return Sentence(QT_TRANSLATE_NOOP("Answer", "nil"));
}

// The one number a command takes, whole and within bounds.
std::optional<double> wholeIn(const Message &message, int lowest, int highest)
{
    const std::optional<double> number =
        message.arguments.size() == 1 ? numberIn(message.arguments.front()) : std::nullopt;
    if (!number || *number != std::floor(*number) || *number < lowest || *number > highest)
        return std::nullopt;
    return number;
}

std::variant<Command, Sentence> controlCommand(const QString &path, const Message &message)
{
    const bool fader = path.endsWith(kFaderSuffix);
    const QString control = fader ? path.chopped(kFaderSuffix.size()) : path;
    if (!isName(control))
        return Sentence(QT_TRANSLATE_NOOP("Answer", "%1 is not an address of Korvist Mixer; /korvist/list names "
                                                    "every control"))
            .arg(message.address);
    Command command {Command::Kind::Value, control, 0, std::nullopt, message.address};
    if (fader) {
        const std::optional<double> position =
            message.arguments.size() == 1 ? numberIn(message.arguments.front()) : std::nullopt;
        if (!position)
            return Sentence(QT_TRANSLATE_NOOP("Answer", "%1 takes one number from 0 to 1, not %2"))
                .arg(message.address)
                .arg(described(message.arguments));
        command.kind = Command::Kind::Fader;
        command.number = *position;
        return command;
    }
    if (message.arguments.empty()) {
        command.kind = Command::Kind::Toggle;
        return command;
    }
    const Argument &argument = message.arguments.front();
    if (message.arguments.size() > 1 || std::holds_alternative<std::monostate>(argument))
        return Sentence(QT_TRANSLATE_NOOP("Answer", "%1 takes one value, or none to toggle a switch, not %2"))
            .arg(message.address)
            .arg(described(message.arguments));
    if (const double *number = std::get_if<double>(&argument))
        command.number = *number;
    else
        command.text = std::get<QString>(argument).trimmed();
    return command;
}

QByteArrayList controlDatagrams(const ControlState &control)
{
    QByteArrayList datagrams {encode(valueAddress(control.name), control.value)};
    if (control.fader)
        datagrams << encode(faderAddress(control.name), float(*control.fader));
    return datagrams;
}

struct Datagrams
{
    QByteArrayList operator()(const State &state) const
    {
        QByteArrayList datagrams {encode(kModelAddress, state.model)};
        for (const ControlState &control : state.controls)
            datagrams << controlDatagrams(control);
        return datagrams;
    }
    QByteArrayList operator()(const ControlState &control) const { return controlDatagrams(control); }
    QByteArrayList operator()(const Levels &levels) const
    {
        QByteArrayList datagrams;
        for (const Level &level : levels)
            datagrams << encode(levelAddress(level.readout), float(level.decibels))
                      << encode(levelAddress(level.readout) + kFaderSuffix, float(level.position));
        return datagrams;
    }
    QByteArrayList operator()(const Reply &reply) const
    {
        QStringList lines = reply.text.english().split(QLatin1Char('\n'));
        QByteArrayList datagrams {
            encode(reply.refused ? kRefusedAddress : QStringLiteral("/korvist/done"), lines.takeFirst())};
        for (const QString &note : std::as_const(lines))
            datagrams << encode(QStringLiteral("/korvist/note"), note);
        return datagrams;
    }
    QByteArrayList operator()(const Listing &listing) const
    {
        QByteArrayList datagrams {encode(QStringLiteral("/korvist/list"), int(listing.controls.size()))};
        for (const ControlState &control : listing.controls) {
            std::vector<OutArgument> arguments {control.name,    control.label,
                                                kindName(control.kind), control.minimum,
                                                control.maximum, control.fader ? QStringLiteral("dB") : QString(),
                                                control.value};
            // The user's volume limit, where one is set: a surface can mark where the knob stops.
            if (control.ceiling)
                arguments.push_back(*control.ceiling);
            datagrams << encode(QStringLiteral("/korvist/control"), arguments);
        }
        return datagrams;
    }
    QByteArrayList operator()(const PresetList &presets) const
    {
        QByteArrayList datagrams {encode(QStringLiteral("/korvist/presets"), int(presets.names.size()))};
        for (const QString &name : presets.names)
            datagrams << encode(QStringLiteral("/korvist/preset"), name);
        return datagrams;
    }
    QByteArrayList operator()(const Pong &pong) const { return {encode(QStringLiteral("/korvist/pong"), pong.model)}; }
};

} // namespace

std::variant<Command, Sentence> interpret(const Message &message)
{
    if (!message.address.startsWith(kPrefix))
        return Sentence(QT_TRANSLATE_NOOP("Answer", "%1 is not an address of Korvist Mixer: they begin with /korvist/"))
            .arg(message.address);
    const QString path = message.address.mid(kPrefix.size());
    const auto plain = [&](Command::Kind kind) { return Command {kind, QString(), 0, std::nullopt, message.address}; };
    // A button sends its state with them: pressed or released, it asks the same.
    if (path == QLatin1String("refresh"))
        return plain(Command::Kind::Refresh);
    if (path == QLatin1String("list"))
        return plain(Command::Kind::List);
    if (path == QLatin1String("presets"))
        return plain(Command::Kind::Presets);
    if (path == QLatin1String("ping"))
        return plain(Command::Kind::Ping);
    if (path == QLatin1String("subscribe") || path == QLatin1String("unsubscribe")) {
        const std::optional<double> port = wholeIn(message, 1, 65535);
        if (!port)
            return Sentence(QT_TRANSLATE_NOOP("Answer", "%1 takes the UDP port to send to, a whole number from 1 to "
                                                        "65535, not %2"))
                .arg(message.address)
                .arg(described(message.arguments));
        Command command = plain(path.front() == QLatin1Char('s') ? Command::Kind::Subscribe : Command::Kind::Unsubscribe);
        command.number = *port;
        return command;
    }
    if (path == QLatin1String("meters")) {
        const std::optional<double> rate = wholeIn(message, 0, controls::kFastestMeterRate);
        if (!rate)
            return Sentence(QT_TRANSLATE_NOOP("Answer", "%1 takes level readings a second, a whole number from 2 to "
                                                        "%2 (0 for the usual 2), not %3"))
                .arg(message.address)
                .arg(controls::kFastestMeterRate)
                .arg(described(message.arguments));
        Command command = plain(Command::Kind::Meters);
        command.number = *rate == 0 ? controls::kPanelMeterRate : *rate;
        return command;
    }
    if (path == QLatin1String("preset/load")) {
        const QString *name =
            message.arguments.size() == 1 ? std::get_if<QString>(&message.arguments.front()) : nullptr;
        if (!name)
            return Sentence(QT_TRANSLATE_NOOP("Answer", "%1 takes a preset's name, not %2"))
                .arg(message.address)
                .arg(described(message.arguments));
        Command command = plain(Command::Kind::PresetLoad);
        command.text = *name;
        return command;
    }
    return controlCommand(path, message);
}

bool isOwnOutput(const QString &address)
{
    static const QStringList outputs {QStringLiteral("model"), QStringLiteral("done"),    QStringLiteral("note"),
                                      QStringLiteral("refused"), QStringLiteral("control"), QStringLiteral("preset"),
                                      QStringLiteral("pong")};
    if (!address.startsWith(kPrefix))
        return false;
    const QString path = address.mid(kPrefix.size());
    return outputs.contains(path) || path.startsWith(QLatin1String("level/"));
}

QString kindName(controls::Kind kind)
{
    switch (kind) {
    case controls::Kind::InputGain:
        return QStringLiteral("input gain");
    case controls::Kind::OutputLevel:
        return QStringLiteral("output level");
    case controls::Kind::PhoneLevel:
        return QStringLiteral("phone level");
    case controls::Kind::Pad:
        return QStringLiteral("pad");
    case controls::Kind::PhantomPower:
        return QStringLiteral("phantom power");
    case controls::Kind::Route:
        return QStringLiteral("route");
    case controls::Kind::PlainSwitch:
        break;
    }
    return QStringLiteral("switch");
}

QByteArrayList datagramsOf(const Outgoing &item)
{
    return std::visit(Datagrams {}, item);
}

QString valueAddress(const QString &control)
{
    return kPrefix + control;
}

QString faderAddress(const QString &control)
{
    return kPrefix + control + kFaderSuffix;
}

QString levelAddress(const QString &readout)
{
    return kPrefix + QStringLiteral("level/") + readout;
}

} // namespace surface
