#include "shell.h"

#include <windows.h>
#include <shellapi.h>

namespace platform {

bool openSoundControlPanel()
{
    const HINSTANCE result = ShellExecuteA(nullptr, "open", "control.exe", "mmsys.cpl", nullptr, SW_SHOWNORMAL);
    // ShellExecute keeps its 16-bit contract: values up to 32 are error codes.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

ShellCommand audioRefreshCommand()
{
    // A restarted shell rebuilds its tray and volume flyout from the current audio endpoints.
    return {"cmd.exe", {"/c", "taskkill /f /im explorer.exe && start explorer.exe"}};
}

} // namespace platform
