#include "runtimedir.h"
#include "runtimedir_posix.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace platform::posix {

namespace {

// Room below the root for the longest endpoint, a device interface:
// "/devices/{GUID}/" and the simulator's interface name.
constexpr std::size_t kLongestEndpoint = 64;
constexpr std::size_t kLongestRoot = sizeof(sockaddr_un::sun_path) - 1 - kLongestEndpoint;
constexpr char kHomeRoot[] = "/.korvist";

std::string variable(const char *name)
{
    const char *value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string homeDir()
{
    std::string home = variable("HOME");
    if (!home.empty())
        return home;
    std::vector<char> text(16384);
    passwd entry {};
    passwd *found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, text.data(), text.size(), &found) == 0 && found && found->pw_dir)
        home = found->pw_dir;
    return home;
}

// Without XDG_RUNTIME_DIR: a directory in our own home, which no other user can
// create before us; only a home too long for socket addresses falls back to the
// temporary directory, where the ownership check below is all that guards it.
std::string fallbackRoot()
{
    const std::string home = homeDir();
    if (!home.empty() && home.front() == '/' && home.size() + std::strlen(kHomeRoot) <= kLongestRoot)
        return home + kHomeRoot;
    std::string tmp = variable("TMPDIR");
    if (tmp.empty() || tmp.front() != '/')
        tmp = "/tmp";
    return tmp + "/korvist-" + std::to_string(::getuid());
}

std::string rootDir()
{
    const std::string xdg = variable("XDG_RUNTIME_DIR");
    return xdg.empty() ? fallbackRoot() : xdg + "/korvist";
}

// Ours alone or nothing: a directory that another user made first, or that
// others may write to, could hand our clients to their server.
bool makePrivateDir(const std::string &path, std::string &problem)
{
    if (::mkdir(path.c_str(), 0700) == 0)
        return true;
    if (errno != EEXIST) {
        problem = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        problem = path + " is not a directory";
    else if (info.st_uid != ::getuid())
        problem = path + " belongs to another user";
    // The set-group-ID bit is left out: a directory made in a setgid home inherits it.
    else if ((info.st_mode & 0777) != 0700)
        problem = path + " is open to other users (it must have mode 0700)";
    else
        return true;
    return false;
}

std::string privateDir(const std::string &relative, std::string &problem)
{
    std::string path = rootDir();
    if (!makePrivateDir(path, problem))
        return {};
    std::size_t start = 0;
    while (start < relative.size()) {
        std::size_t end = relative.find('/', start);
        if (end == std::string::npos)
            end = relative.size();
        path += '/' + relative.substr(start, end - start);
        if (!makePrivateDir(path, problem))
            return {};
        start = end + 1;
    }
    return path;
}

} // namespace

std::string ensureSubdir(const std::string &relative)
{
    std::string problem;
    return privateDir(relative, problem);
}

std::string runtimeDir()
{
    return ensureSubdir({});
}

std::string pipeSocketPath(const std::string &pipeName)
{
    const std::string dir = ensureSubdir("pipes");
    return dir.empty() ? std::string() : dir + '/' + pipeName;
}

std::string deviceClassDir(const std::string &guidText)
{
    return ensureSubdir("devices/" + guidText);
}

} // namespace platform::posix

namespace platform {

bool checkEndpointDir(std::string &problem)
{
    problem.clear();
    if (!posix::privateDir({}, problem).empty())
        return true;
    const std::string xdg = posix::variable("XDG_RUNTIME_DIR");
    problem = "Korvist cannot keep its device and pipe connections private: " + problem + ". "
              + (xdg.empty() ? "XDG_RUNTIME_DIR is not set; set it" : "XDG_RUNTIME_DIR is " + xdg + "; point it")
              + " to a directory of your own with mode 0700.";
    return false;
}

} // namespace platform
