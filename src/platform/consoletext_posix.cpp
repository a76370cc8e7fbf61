#include "consoletext.h"

namespace platform {

void writeText(std::FILE *stream, std::string_view utf8)
{
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    std::fflush(stream);
}

} // namespace platform
