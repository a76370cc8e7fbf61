#include "consoletext.h"

#include "widestring_win.h"

#include <io.h>
#include <windows.h>

namespace platform {

void writeText(std::FILE *stream, std::string_view utf8)
{
    std::fflush(stream);
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
        const std::wstring text = win::toUtf16(utf8);
        DWORD written = 0;
        WriteConsoleW(handle, text.data(), DWORD(text.size()), &written, nullptr);
        return;
    }
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
    std::fflush(stream);
}

} // namespace platform
