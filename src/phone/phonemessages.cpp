#include "phonemessages.h"

#include <addresses.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace phone {

namespace {

constexpr int kMaxNameLength = 64;

std::optional<QString> shortText(const QJsonValue &value)
{
    if (!value.isString() || value.toString().isEmpty() || value.toString().size() > kMaxNameLength)
        return std::nullopt;
    return value.toString();
}

QString presenceName(Presence presence)
{
    switch (presence) {
    case Presence::Shown:
        return QStringLiteral("shown");
    case Presence::OtherSession:
        return QStringLiteral("other-session");
    case Presence::NoInterface:
        break;
    }
    return QStringLiteral("no-interface");
}

// A knob's range ends at the user's volume limit: the page offers no more than the gate allows.
QJsonObject controlObject(const surface::ControlState &control)
{
    QJsonObject object {{QStringLiteral("name"), control.name},
                        {QStringLiteral("label"), control.label},
                        {QStringLiteral("group"), control.group},
                        {QStringLiteral("kind"), surface::kindName(control.kind)},
                        {QStringLiteral("min"), control.minimum},
                        {QStringLiteral("max"), control.ceiling.value_or(control.maximum)},
                        {QStringLiteral("value"), control.value},
                        {QStringLiteral("shown"), control.shown}};
    if (control.fader)
        object.insert(QStringLiteral("fader"), *control.fader);
    if (control.ceilingFader)
        object.insert(QStringLiteral("limitFader"), *control.ceilingFader);
    return object;
}

// Each readout with the places it shows, where the page puts a meter of it.
QJsonArray readoutArray(const surface::State &state)
{
    QJsonArray readouts;
    for (const std::vector<surface::ReadoutPlace> &shownAt : state.readoutPlaces) {
        QJsonArray places;
        for (const surface::ReadoutPlace &place : shownAt)
            places.append(QJsonObject {{QStringLiteral("group"), place.group}, {QStringLiteral("label"), place.label}});
        readouts.append(QJsonObject {{QStringLiteral("places"), places}});
    }
    return readouts;
}

QString refusalName(surface::Refusal why)
{
    using surface::Refusal;
    switch (why) {
    case Refusal::NoInterface:
        return QStringLiteral("noInterface");
    case Refusal::AboveLimit:
        return QStringLiteral("limit");
    case Refusal::PhantomPower:
        return QStringLiteral("phantom");
    case Refusal::NoPreset:
        return QStringLiteral("noPreset");
    case Refusal::PresetUnfit:
        return QStringLiteral("presetUnfit");
    case Refusal::InterfaceRefused:
        return QStringLiteral("interface");
    case Refusal::Other:
        break;
    }
    return QStringLiteral("other");
}

QByteArray encode(const QString &type, QJsonObject object)
{
    object.insert(QStringLiteral("t"), type);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

std::optional<Command> parseMessage(const QByteArray &message)
{
    if (message.size() > kMaxMessageBytes)
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(message, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const QString type = object.value(QStringLiteral("t")).toString();
    Command command;
    if (type == QLatin1String("set")) {
        const std::optional<QString> control = shortText(object.value(QStringLiteral("control")));
        const std::optional<QString> value = shortText(object.value(QStringLiteral("value")));
        if (!control || !value)
            return std::nullopt;
        return Command {Command::Kind::Value, *control, *value};
    }
    if (type == QLatin1String("fader")) {
        const std::optional<QString> control = shortText(object.value(QStringLiteral("control")));
        const QJsonValue position = object.value(QStringLiteral("position"));
        if (!control || !position.isDouble() || !std::isfinite(position.toDouble()))
            return std::nullopt;
        return Command {Command::Kind::Fader, *control, QString(), position.toDouble()};
    }
    if (type == QLatin1String("preset")) {
        const std::optional<QString> name = shortText(object.value(QStringLiteral("name")));
        if (!name)
            return std::nullopt;
        return Command {Command::Kind::Preset, QString(), *name};
    }
    if (type == QLatin1String("refresh"))
        return Command {Command::Kind::Refresh};
    if (type == QLatin1String("meters")) {
        const QJsonValue rate = object.value(QStringLiteral("rate"));
        if (!rate.isDouble() || rate.toDouble() < 0 || rate.toDouble() > 20 || rate.toDouble() != std::floor(rate.toDouble()))
            return std::nullopt;
        return Command {Command::Kind::Meters, QString(), QString(), rate.toDouble()};
    }
    return std::nullopt;
}

QByteArray encodeView(Presence presence, const surface::State &state, const QStringList &presets)
{
    const bool shown = presence == Presence::Shown;
    QJsonArray controls;
    if (shown)
        for (const surface::ControlState &control : state.controls)
            controls.append(controlObject(control));
    return encode(QStringLiteral("view"),
                  {{QStringLiteral("presence"), presenceName(presence)},
                   {QStringLiteral("model"), shown ? state.model : QString()},
                   {QStringLiteral("controls"), controls},
                   {QStringLiteral("readouts"), shown ? readoutArray(state) : QJsonArray()},
                   {QStringLiteral("presets"), QJsonArray::fromStringList(shown ? presets : QStringList())}});
}

QByteArray encodeControl(const surface::ControlState &control)
{
    return encode(QStringLiteral("control"), controlObject(control));
}

QByteArray encodeLevels(const surface::Levels &levels)
{
    QJsonArray decibels;
    for (const surface::Level &level : levels)
        decibels.append(std::round(level.decibels * 10) / 10);
    return encode(QStringLiteral("levels"), {{QStringLiteral("db"), decibels}});
}

// A compact JSON object lists its keys in order: "db" is the first of a reading's.
bool isLevels(const QByteArray &message)
{
    return message.startsWith("{\"db\":") && message.endsWith(",\"t\":\"levels\"}");
}

QByteArray encodeReply(const surface::Reply &reply)
{
    QStringList lines = reply.text.translated().split(QLatin1Char('\n'));
    const QString first = lines.takeFirst();
    QJsonObject object {{QStringLiteral("refused"), reply.refused},
                        {QStringLiteral("text"), first},
                        {QStringLiteral("notes"), QJsonArray::fromStringList(lines)}};
    // The page words a refusal in the phone's language; the text is the computer's.
    if (reply.refused) {
        object.insert(QStringLiteral("why"), refusalName(reply.why));
        if (reply.why == surface::Refusal::AboveLimit)
            object.insert(QStringLiteral("limit"), reply.limit);
        if (!reply.subject.isEmpty())
            object.insert(QStringLiteral("subject"), reply.subject);
    }
    return encode(QStringLiteral("reply"), object);
}

} // namespace phone
