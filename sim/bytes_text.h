#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// How the simulator shows bytes (journal, pipe peers) and reads the bytes it is given.
std::string toHex(std::span<const std::uint8_t> bytes);
// Pairs of hex digits, either case; nullopt for anything else.
std::optional<std::vector<std::uint8_t>> fromHex(const std::string &text);
// UTF-16LE as UTF-8, control characters, quotes and backslashes escaped as
// \uXXXX, \" and \\, so that a terminating NUL shows; a lone odd byte at the
// end is shown as \xNN and an unpaired surrogate as \uXXXX.
std::string describeUtf16(const std::vector<std::uint8_t> &bytes);
