#include "session.h"

#include "runtimedir_posix.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace platform {

namespace {

// The stand-in for the console's switch of sessions, which tests drive: the
// word "background" in the file "session" of the endpoint directory.
bool standInSaysBackground()
{
    const std::string dir = posix::runtimeDir();
    if (dir.empty())
        return false;
    std::ifstream file(dir + "/session");
    std::string word;
    return file >> word && word == "background";
}

// Where logind runs, its record of this session says whether it is the one at the seat.
bool logindSaysBackground()
{
    const char *id = std::getenv("XDG_SESSION_ID");
    if (!id || !*id || std::string(id).find('/') != std::string::npos)
        return false;
    std::ifstream record(std::string("/run/systemd/sessions/") + id);
    for (std::string line; std::getline(record, line);)
        if (line == "ACTIVE=0")
            return true;
    return false;
}

} // namespace

bool sessionIsActive()
{
    return !standInSaysBackground() && !logindSaysBackground();
}

} // namespace platform
