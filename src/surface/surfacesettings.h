#pragma once

#include <QHostAddress>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <variant>

// Whether the program serves control surfaces, on which UDP port, and which
// hosts besides this computer it answers: kept in a file of its own beside
// the other settings files, and off until the user turns it on.
namespace surface {

inline constexpr quint16 kDefaultPort = 9000;
// The phone remote's TCP port, which serves the same allowed network.
inline constexpr quint16 kDefaultPhonePort = 8080;

using Network = QPair<QHostAddress, int>;

struct SurfaceSettings
{
    bool on = false;
    quint16 port = kDefaultPort;
    // Hosts of this network may send too; without it only this computer may.
    std::optional<Network> allowed;
};

// A missing or damaged file, or a value in it that does not parse, reads as
// the safe default: off, the default port, this computer only.
SurfaceSettings loadSettings();
// False, after a log line, when the file could not be written.
bool saveSettings(const SurfaceSettings &settings);

// A UDP or TCP port, 1 to 65535, as a settings file or a command line gives it.
std::optional<quint16> parsePort(const QVariant &stored);

// What --osc and --web ask after their verb: nothing for the state, "off", or "on" with a port
// (the saved one unless given).
struct SwitchRequest
{
    bool stateOnly = false;
    bool on = false;
    quint16 port = 0;
};
// The request, or why it is refused: a port that is none (named by its protocol, "UDP" or
// "TCP"), or nothing when the words are not such a request at all and the verb's usage is the answer.
std::variant<SwitchRequest, QString> parseSwitchRequest(const QStringList &words, quint16 savedPort,
                                                       const QString &protocol);

// "192.168.1.0/24": an address and the bits of its network, at least 16 for IPv4 and 64 for IPv6.
// An address alone, or a wider network, is refused: it would open the
// interface to more hosts than a home or studio network has, and every one
// of them could ask for replies.
std::optional<Network> parseNetwork(const QString &text);
QString networkText(const Network &network);

} // namespace surface
