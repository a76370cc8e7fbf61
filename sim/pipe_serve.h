#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// How a peer shows one received message on its "message" line.
using MessageText = std::function<std::string(const std::vector<std::uint8_t> &message)>;

// Serves the pipe until SIGINT or SIGTERM, one message per client connection,
// and prints "ready <name>" once clients can come, then a line per message.
// program names the subcommand in error messages. Exit code: 0, or 1 when the
// pipe cannot be served (another process serves the name).
int servePipe(const char *program, const std::string &name, const MessageText &describe);

// Serves the pipe but never lets a caller in: the one instance is always held
// by a client of the peer's own, and is handed from one such client to the
// next every so often. Each hand-over starts a server wait, which ends a
// caller's waitForPipe, yet the caller's next open still finds the pipe busy.
int serveBusy(const char *program, const std::string &name);
