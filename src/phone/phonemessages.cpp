#include "phonemessages.h"

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

QString kindName(ControlView::Kind kind)
{
    switch (kind) {
    case ControlView::Kind::Level:
        return QStringLiteral("level");
    case ControlView::Kind::Gain:
        return QStringLiteral("gain");
    case ControlView::Kind::PhantomPower:
        return QStringLiteral("phantom");
    case ControlView::Kind::Switch:
        break;
    }
    return QStringLiteral("switch");
}

QString presenceName(PanelView::Presence presence)
{
    switch (presence) {
    case PanelView::Presence::Shown:
        return QStringLiteral("shown");
    case PanelView::Presence::OtherSession:
        return QStringLiteral("other-session");
    case PanelView::Presence::NoInterface:
        break;
    }
    return QStringLiteral("no-interface");
}

QJsonObject controlObject(const ControlView &control)
{
    QJsonObject object {{QStringLiteral("name"), control.name},
                        {QStringLiteral("label"), control.label},
                        {QStringLiteral("kind"), kindName(control.kind)},
                        {QStringLiteral("min"), control.minimum},
                        {QStringLiteral("max"), control.maximum},
                        {QStringLiteral("value"), control.value}};
    if (control.kind == ControlView::Kind::Level || control.kind == ControlView::Kind::Gain)
        object.insert(QStringLiteral("fader"), control.fader);
    return object;
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

QByteArray encodeView(const PanelView &view)
{
    QJsonArray controls;
    for (const ControlView &control : view.controls)
        controls.append(controlObject(control));
    return encode(QStringLiteral("view"), {{QStringLiteral("presence"), presenceName(view.presence)},
                                           {QStringLiteral("model"), view.model},
                                           {QStringLiteral("controls"), controls},
                                           {QStringLiteral("readouts"), QJsonArray::fromStringList(view.readouts)},
                                           {QStringLiteral("presets"), QJsonArray::fromStringList(view.presets)}});
}

QByteArray encodeControl(const ControlView &control)
{
    return encode(QStringLiteral("control"), controlObject(control));
}

QByteArray encodeLevels(const QList<double> &decibels)
{
    QJsonArray levels;
    for (double level : decibels)
        levels.append(std::round(level * 10) / 10);
    return encode(QStringLiteral("levels"), {{QStringLiteral("db"), levels}});
}

QByteArray encodeReply(const Reply &reply)
{
    return encode(QStringLiteral("reply"), {{QStringLiteral("refused"), reply.refused},
                                            {QStringLiteral("text"), reply.text},
                                            {QStringLiteral("notes"), QJsonArray::fromStringList(reply.notes)}});
}

} // namespace phone
