#pragma once

#include <QtGlobal>

#include <chrono>

// Everything a stranger on the allowed network may make the phone remote do,
// in one place: how many connections, how long a request may take, how many
// bytes it may send and be sent, how often a pairing code may be guessed.
// docs/phone-remote.md states the same figures; keep them together.
namespace phone::limits {

using namespace std::chrono_literals;

// Connections. A phone holds one WebSocket per open page and makes a short
// HTTP request now and then; a few tabs behind one address (a NAT) fit.
inline constexpr int kConnectionsPerAddress = 16;
// Connections still sending their request, from everyone: a flood from many
// addresses is refused at the door instead of costing memory and time.
inline constexpr int kPendingRequests = 128;
inline constexpr int kPhones = 8;
inline constexpr int kSocketsPerPhone = 4;

// Time. A whole request, from the connection to its last byte, or it is closed.
inline constexpr auto kRequestTime = 2s;
// A WebSocket is pinged this often, and closed when nothing came back for kSilence.
inline constexpr auto kPingEvery = 10s;
inline constexpr auto kSilence = 30s;

// Bytes. The request line and headers, a request's body, a WebSocket message.
inline constexpr int kMaxHeaderBytes = 8192;
inline constexpr int kMaxBodyBytes = 256;
// Unsent bytes to a phone: past the first, a reading of levels waits for the
// next; past the second, the phone is too far behind and is closed.
inline constexpr qint64 kLevelsBehindBytes = 16 * 1024;
inline constexpr qint64 kMaxBehindBytes = 256 * 1024;
inline constexpr int kMessagesPerSecond = 40;

// Pairing. Each address may get a handful of codes wrong, then waits, twice
// as long each time, up to an hour; all addresses together get no more than
// kWrongCodesPerMinute wrong, beyond which every try waits for the minute.
inline constexpr int kWrongCodesPerAddress = 5;
inline constexpr auto kFirstWait = 1min;
inline constexpr auto kLongestWait = 60min;
inline constexpr int kWrongCodesPerMinute = 10;
// Questions on the desktop at once, and how long one waits for its phone to ask again.
inline constexpr int kOpenQuestions = 3;
inline constexpr auto kQuestionUnwatched = 10s;

} // namespace phone::limits
