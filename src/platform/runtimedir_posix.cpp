#include "runtimedir_posix.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::posix {

namespace {

bool makePrivateDir(const std::string &path)
{
    if (::mkdir(path.c_str(), 0700) == 0)
        return true;
    if (errno != EEXIST)
        return false;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        return false;
    // Someone else's permissive directory must not become our pipe namespace.
    return (info.st_mode & 0077) == 0 || ::chmod(path.c_str(), 0700) == 0;
}

bool makeDirs(const std::string &root, const std::string &relative)
{
    std::string path = root;
    std::size_t start = 0;
    while (start < relative.size()) {
        std::size_t end = relative.find('/', start);
        if (end == std::string::npos)
            end = relative.size();
        path += '/' + relative.substr(start, end - start);
        if (!makePrivateDir(path))
            return false;
        start = end + 1;
    }
    return true;
}

} // namespace

std::string runtimeDir()
{
    const char *xdg = std::getenv("XDG_RUNTIME_DIR");
    std::string dir = (xdg && *xdg) ? std::string(xdg) + "/korvist"
                                    : "/tmp/korvist-" + std::to_string(::getuid());
    return makePrivateDir(dir) ? dir : std::string();
}

std::string ensureSubdir(const std::string &relative)
{
    const std::string root = runtimeDir();
    if (root.empty() || !makeDirs(root, relative))
        return {};
    return root + '/' + relative;
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
