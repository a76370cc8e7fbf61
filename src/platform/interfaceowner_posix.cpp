#include "interfaceowner.h"

#include "runtimedir_posix.h"

#include <cctype>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace platform {

// The stand-in's interface lives in the endpoint directory, so that directory
// is its machine; a sign-in is the user and its logind session.
std::filesystem::path interfaceStampDir()
{
    return posix::ensureSubdir("owners");
}

std::string ownInterfaceStamp()
{
    std::string session;
    if (const char *id = std::getenv("XDG_SESSION_ID"))
        for (const char *c = id; *c; ++c)
            if (std::isalnum(static_cast<unsigned char>(*c)))
                session += *c;
    return std::to_string(::geteuid()) + "-" + (session.empty() ? std::string("0") : session);
}

} // namespace platform
