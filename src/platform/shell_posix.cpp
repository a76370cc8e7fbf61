#include "shell.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace platform {

namespace {

std::string findInPath(const std::string &program)
{
    const char *path = std::getenv("PATH");
    std::string directories = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= directories.size()) {
        std::size_t end = directories.find(':', start);
        if (end == std::string::npos)
            end = directories.size();
        const std::string candidate = directories.substr(start, end - start) + '/' + program;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

// Starts the program detached from us (its own session, output discarded),
// so that it outlives the panel and leaves no zombie behind.
bool startDetached(const std::string &program, const std::vector<std::string> &arguments)
{
    // Everything that allocates happens before the fork: another thread may
    // hold the allocator's lock at that moment.
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(program.c_str()));
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);

    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        ::setsid();
        const int devNull = ::open("/dev/null", O_RDWR);
        if (devNull >= 0) {
            ::dup2(devNull, 0);
            ::dup2(devNull, 1);
            ::dup2(devNull, 2);
        }
        pid_t grandchild = 0;
        const int result = ::posix_spawn(&grandchild, program.c_str(), nullptr, nullptr, argv.data(), environ);
        ::_exit(result == 0 ? 0 : 127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

bool openSoundControlPanel()
{
    struct Candidate
    {
        const char *program;
        std::vector<std::string> arguments;
    };
    const Candidate candidates[] = {
        {"pavucontrol", {}},
        {"pavucontrol-qt", {}},
        {"gnome-control-center", {"sound"}},
        {"systemsettings", {"kcm_pulseaudio"}},
        {"xfce4-mixer", {}},
    };
    for (const Candidate &candidate : candidates) {
        const std::string path = findInPath(candidate.program);
        if (!path.empty())
            return startDetached(path, candidate.arguments);
    }
    return false;
}

ShellCommand audioRefreshCommand()
{
    // The same shape as the Windows command: one shell line that restarts what
    // serves the user's audio devices, with its own exit code and messages.
    return {"/bin/sh",
            {"-c", "if pgrep -u \"$(id -u)\" -x pipewire >/dev/null; then "
                   "systemctl --user restart wireplumber pipewire pipewire-pulse; "
                   "elif pgrep -u \"$(id -u)\" -x pulseaudio >/dev/null; then "
                   "pulseaudio -k && pulseaudio --start; "
                   "else echo 'no sound server is running' >&2; exit 1; fi"}};
}

} // namespace platform
