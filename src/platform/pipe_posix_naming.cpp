#include "pipe_posix_naming.h"

#include "runtimedir_posix.h"
#include "unixsocket_posix.h"

namespace platform::posix {

PipeEndpoint pipeEndpoint(const std::string &name)
{
    // A leading dot would reach another pipe's lock file.
    if (name.empty() || name.front() == '.' || name.find('/') != std::string::npos)
        return {};
    const std::string socketPath = pipeSocketPath(name);
    if (socketPath.empty() || socketPath.size() >= sizeof(sockaddr_un::sun_path))
        return {};
    const std::string dir = socketPath.substr(0, socketPath.size() - name.size());
    return {socketPath, dir + '.' + name + ".lock"};
}

sockaddr_un socketAddress(const std::string &path)
{
    sockaddr_un address {};
    toSocketAddress(path, address);
    return address;
}

} // namespace platform::posix
