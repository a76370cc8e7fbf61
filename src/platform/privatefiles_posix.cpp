#include "privatefiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

// Failures are left to the caller's next step: it finds no directory or no
// file and carries on as it would have without these.
void createPrivateDirectory(const std::string &path)
{
    ::mkdir(path.c_str(), 0700);
}

void createPrivateFile(const std::string &path)
{
    // O_EXCL: an existing file, FIFO or symbolic link is not touched.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
}

} // namespace platform
