#include "interfaceowner.h"

#include "runtimedir_posix.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace platform {

namespace {

// A sign-in is the user and its logind session.
std::string ownInterfaceStamp()
{
    std::string session;
    if (const char *id = std::getenv("XDG_SESSION_ID"))
        for (const char *c = id; *c; ++c)
            if (std::isalnum(static_cast<unsigned char>(*c)))
                session += *c;
    return std::to_string(::geteuid()) + "-" + (session.empty() ? std::string("0") : session);
}

} // namespace

// The stand-in's interface lives in the endpoint directory, so that directory
// is its machine. Nobody but its user can write there, so its stamps need no
// check of who made them.
std::filesystem::path interfaceStampDir(std::string &)
{
    return posix::ensureSubdir("owners");
}

bool isOwnInterfaceStamp(const std::filesystem::path &stamp)
{
    return stamp.filename() == ownInterfaceStamp();
}

void stampInterfaceDrivenHere(const std::filesystem::path &dir)
{
    const std::filesystem::path stamp = dir / ownInterfaceStamp();
    std::ofstream(stamp, std::ios::app).close();
    std::error_code error;
    std::filesystem::last_write_time(stamp, std::filesystem::file_time_type::clock::now(), error);
}

} // namespace platform
