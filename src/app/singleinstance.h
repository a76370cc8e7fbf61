#pragma once

#include <QSharedMemory>
#include <QSystemSemaphore>

// Marks the one running instance with a 1-byte shared memory segment, tested
// and created under a system-wide semaphore so that simultaneous starts agree.
class SingleInstance
{
public:
    enum class Outcome { First, AlreadyRunning, Failed };

    SingleInstance();
    Outcome claim();

private:
    Outcome claimMarker();

    QSystemSemaphore semaphore;
    QSharedMemory marker;
};
