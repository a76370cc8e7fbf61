#include "surfacesettings.h"

#include <settingsfile.h>
#include <storedvalue.h>

#include <QSettings>

#include <memory>

namespace surface {

namespace {

const QString kFileName = QStringLiteral("osc.ini");
const QString kOnKey = QStringLiteral("Osc/On");
const QString kPortKey = QStringLiteral("Osc/Port");
const QString kAllowKey = QStringLiteral("Osc/Allow");
constexpr int kMinimumIPv4Bits = 16;
constexpr int kMinimumIPv6Bits = 64;

} // namespace

std::optional<Network> parseNetwork(const QString &text)
{
    if (!text.contains(QLatin1Char('/')))
        return std::nullopt;
    const Network network = QHostAddress::parseSubnet(text);
    if (network.first.isNull())
        return std::nullopt;
    const int minimumBits = network.first.protocol() == QAbstractSocket::IPv4Protocol ? kMinimumIPv4Bits
                                                                                       : kMinimumIPv6Bits;
    if (network.second < minimumBits)
        return std::nullopt;
    return network;
}

QString networkText(const Network &network)
{
    return network.first.toString() + QLatin1Char('/') + QString::number(network.second);
}

std::optional<quint16> parsePort(const QVariant &stored)
{
    const std::optional<int> port = savedstate::parseStoredNumber(stored);
    if (port && *port >= 1 && *port <= 65535)
        return quint16(*port);
    return std::nullopt;
}

std::variant<SwitchRequest, QString> parseSwitchRequest(const QStringList &words, quint16 savedPort,
                                                       const QString &protocol)
{
    if (words.isEmpty())
        return SwitchRequest {true, false, savedPort};
    if (words == QStringList {QStringLiteral("off")})
        return SwitchRequest {false, false, savedPort};
    if (words.front() != QLatin1String("on") || words.size() > 2)
        return QString();
    if (words.size() == 1)
        return SwitchRequest {false, true, savedPort};
    if (const std::optional<quint16> port = parsePort(words.back()))
        return SwitchRequest {false, true, *port};
    return QStringLiteral("\"%1\" is not a %2 port (1 to 65535)").arg(words.back(), protocol);
}

SurfaceSettings loadSettings()
{
    SurfaceSettings settings;
    const std::unique_ptr<QSettings> file(savedstate::openSettingsFile(kFileName, nullptr));
    if (!file)
        return settings;
    settings.on = savedstate::parseStoredSwitch(file->value(kOnKey)).value_or(false);
    settings.port = parsePort(file->value(kPortKey)).value_or(kDefaultPort);
    settings.allowed = parseNetwork(file->value(kAllowKey).toString());
    return settings;
}

bool saveSettings(const SurfaceSettings &settings)
{
    const std::unique_ptr<QSettings> file(savedstate::openSettingsFile(kFileName, nullptr));
    return savedstate::save(file.get(), kOnKey, settings.on) && savedstate::save(file.get(), kPortKey, settings.port)
        && savedstate::save(file.get(), kAllowKey, settings.allowed ? networkText(*settings.allowed) : QString());
}

} // namespace surface
