#pragma once

#include <string>
#include <vector>

// The desktop around the panel: its sound settings and its sound server.
namespace platform {

// Opens the system's sound control panel; false when none could be started.
bool openSoundControlPanel();

struct ShellCommand
{
    std::string program;
    std::vector<std::string> arguments;
};

// The command that makes the system pick up audio devices again (on Windows,
// a restart of the shell; elsewhere a restart of the user's sound server).
ShellCommand audioRefreshCommand();

} // namespace platform
