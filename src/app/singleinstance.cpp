#include "singleinstance.h"

#include <instancescope.h>

#include <QDebug>

namespace {

QString scoped(const char *name)
{
    return QString::fromLatin1(name) + QString::fromStdString(platform::instanceNameSuffix());
}

} // namespace

SingleInstance::SingleInstance()
    : semaphore(scoped("KorvistQtDriverSemaphore"), 1, QSystemSemaphore::Open)
    , marker(scoped("KorvistQtDriverSharedMemory"))
{
}

SingleInstance::Outcome SingleInstance::claim()
{
    semaphore.acquire();
    const Outcome outcome = claimMarker();
    semaphore.release();
    if (outcome == Outcome::AlreadyRunning)
        qDebug() << "Korvist Mixer 已经在运行中。";
    else if (outcome == Outcome::Failed)
        qDebug() << "无法创建共享内存，程序退出。";
    return outcome;
}

SingleInstance::Outcome SingleInstance::claimMarker()
{
    // On POSIX a segment outlives an instance killed without clean-up, and its
    // key file may be gone while the segment stays. Our own detach removes a
    // segment that nobody else holds, so a second attach succeeds only while a
    // live instance keeps it; a create that meets a leftover segment tries
    // once more now that the key file exists again.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (marker.attach(QSharedMemory::ReadWrite)) {
            marker.detach();
            if (marker.attach(QSharedMemory::ReadWrite))
                return Outcome::AlreadyRunning;
        }
        if (marker.create(1, QSharedMemory::ReadWrite))
            return Outcome::First;
        if (marker.error() != QSharedMemory::AlreadyExists)
            break;
    }
    return Outcome::Failed;
}
