#pragma once

#include <cstdio>
#include <string_view>

// A command line's answer, UTF-8 like all text here. A Windows console shows
// bytes in its own code page (437, 936, ...), so a preset name outside ASCII
// would come out garbled there; a console gets the text as characters, and a
// file or pipe the UTF-8 bytes as they are.
namespace platform {

void writeText(std::FILE *stream, std::string_view utf8);

} // namespace platform
