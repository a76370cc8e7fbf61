#include "writecounter.h"

#include <QFile>

#include <sys/inotify.h>
#include <unistd.h>

WriteCounter::WriteCounter(const QString &directory, const QString &fileName)
    : descriptor(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    , name(fileName)
{
    // The first write creates the file; every later one renames a temporary
    // file over it. Each write also creates its temporary file, whose event
    // keeps the kernel from merging two renames queued back to back.
    const uint32_t events = IN_MOVED_TO | IN_CREATE;
    if (descriptor >= 0 && inotify_add_watch(descriptor, QFile::encodeName(directory).constData(), events) < 0) {
        ::close(descriptor);
        descriptor = -1;
    }
}

WriteCounter::~WriteCounter()
{
    if (descriptor >= 0)
        ::close(descriptor);
}

int WriteCounter::count()
{
    if (descriptor < 0)
        return -1;
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t length = ::read(descriptor, buffer, sizeof buffer);
        if (length <= 0)
            return writes;
        for (ssize_t offset = 0; offset < length;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + offset);
            if (event->len > 0 && QFile::decodeName(event->name) == name)
                ++writes;
            offset += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
}
