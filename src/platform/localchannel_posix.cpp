#include "localchannel.h"

#include "runtimedir_posix.h"

namespace platform {

std::string localChannelName(const std::string &base)
{
    const std::string dir = posix::runtimeDir();
    return dir.empty() ? std::string() : dir + '/' + base;
}

} // namespace platform
