#include "addresses.h"

#include <cmath>

namespace surface {

namespace {

const QString kPrefix = QStringLiteral("/korvist/");
const QString kFaderSuffix = QStringLiteral("/fader");

const double *numberOf(const Message &message)
{
    return message.arguments.size() == 1 ? std::get_if<double>(&message.arguments.front()) : nullptr;
}

bool isName(const QString &text)
{
    return !text.isEmpty() && !text.contains(QLatin1Char('/'));
}

} // namespace

std::optional<Command> interpret(const Message &message)
{
    if (!message.address.startsWith(kPrefix))
        return std::nullopt;
    const QString path = message.address.mid(kPrefix.size());
    const double *number = numberOf(message);
    if (path == QLatin1String("refresh"))
        return message.arguments.empty() ? std::optional(Command {Command::Kind::Refresh}) : std::nullopt;
    if (path == QLatin1String("subscribe")) {
        if (!number || *number != std::floor(*number) || *number < 1 || *number > 65535)
            return std::nullopt;
        return Command {Command::Kind::Subscribe, QString(), *number};
    }
    if (path == QLatin1String("preset/load")) {
        const QString *name = message.arguments.size() == 1 ? std::get_if<QString>(&message.arguments.front()) : nullptr;
        return name ? std::optional(Command {Command::Kind::PresetLoad, QString(), 0, *name}) : std::nullopt;
    }
    if (path.endsWith(kFaderSuffix)) {
        const QString control = path.chopped(kFaderSuffix.size());
        return number && isName(control) ? std::optional(Command {Command::Kind::Fader, control, *number}) : std::nullopt;
    }
    if (!isName(path))
        return std::nullopt;
    if (message.arguments.empty())
        return Command {Command::Kind::Toggle, path};
    return number ? std::optional(Command {Command::Kind::Value, path, *number}) : std::nullopt;
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
