#include "hostiledevice.h"

#include <device.h>
#include <deviceclass.h>
#include <devicewire_posix.h>
#include <runtimedir_posix.h>

#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

int listenAt(const QString &path, int backlog)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = path.toLocal8Bit();
    std::memcpy(address.sun_path, bytes.constData(), std::size_t(bytes.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
    ::listen(fd, backlog);
    return fd;
}

QString interfacePath()
{
    return QString::fromStdString(platform::posix::deviceClassDir(platform::guidToString(deviceclass::kInterfaceClass)))
           + "/rk1-hostile";
}

} // namespace

HostileDevice::HostileDevice(const QList<Step> &steps)
    : path(interfacePath())
    , listenFd(listenAt(path, 8))
    , stopFd(::eventfd(0, EFD_CLOEXEC))
    , thread([this, steps] { serve(steps); })
{
}

HostileDevice::HostileDevice()
    : path(interfacePath())
    , listenFd(listenAt(path, 0))
    , stopFd(::eventfd(0, EFD_CLOEXEC))
{
}

HostileDevice::~HostileDevice()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(stopFd, &one, sizeof one);
    if (thread.joinable())
        thread.join();
    ::close(listenFd);
    ::close(stopFd);
    ::unlink(path.toLocal8Bit().constData());
}

QByteArray HostileDevice::reply(quint32 status, const QByteArray &bytes)
{
    QByteArray wire(8, '\0');
    platform::posix::wire::putU32(reinterpret_cast<std::uint8_t *>(wire.data()), status);
    platform::posix::wire::putU32(reinterpret_cast<std::uint8_t *>(wire.data()) + 4, quint32(bytes.size()));
    return wire + bytes;
}

// False when the test ends or the client goes.
bool HostileDevice::readExactly(int fd, QByteArray &buffer, qsizetype size)
{
    buffer = QByteArray(size, '\0');
    for (qsizetype got = 0; got < size;) {
        pollfd watched[] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        ::poll(watched, 2, -1);
        if (watched[1].revents)
            return false;
        const ssize_t n = ::recv(fd, buffer.data() + got, std::size_t(size - got), 0);
        if (n <= 0) {
            closed = true;
            return false;
        }
        got += n;
    }
    return true;
}

// False when the test ends first.
bool HostileDevice::pause(int ms)
{
    pollfd watched {stopFd, POLLIN, 0};
    return ::poll(&watched, 1, ms) == 0;
}

void HostileDevice::serve(QList<Step> steps)
{
    pollfd waiting[] = {{listenFd, POLLIN, 0}, {stopFd, POLLIN, 0}};
    ::poll(waiting, 2, -1);
    if (waiting[1].revents)
        return;
    const int connection = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    for (;;) {
        QByteArray header;
        QByteArray input;
        if (!readExactly(connection, header, 12)
            || !readExactly(connection, input,
                            platform::posix::wire::getU32(reinterpret_cast<const std::uint8_t *>(header.constData()) + 4)))
            break;
        const Step step = steps.isEmpty() ? Step {} : steps.takeFirst();
        const QByteArray &bytes = step.reply;
        bool stopped = false;
        for (qsizetype at = 0; at < bytes.size() && !stopped;) {
            const qsizetype chunk = step.gapMs ? 1 : bytes.size() - at;
            if (::send(connection, bytes.constData() + at, std::size_t(chunk), MSG_NOSIGNAL) < 0) {
                closed = true;
                break;
            }
            at += chunk;
            stopped = step.gapMs && at < bytes.size() && !pause(step.gapMs);
        }
        if (stopped || closed || step.hangUp)
            break;
    }
    ::close(connection);
}
