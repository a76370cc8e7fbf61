#pragma once

#include <QObject>
#include <QSharedMemory>
#include <QSystemSemaphore>
#include <QTimer>

// Marks the one running instance with a 1-byte shared memory segment, tested
// and created under a system-wide semaphore so that simultaneous starts agree.
// A start that finds an instance running does not end unseen: it sets the
// byte, and the running instance takes that as the user's wish to see it.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Outcome { First, AlreadyRunning, Failed };

    SingleInstance();
    Outcome claim();

signals:
    // In the first instance: a later start asked for its window.
    void shown();

private:
    Outcome claimMarker();
    void takeShowRequest();

    QSystemSemaphore semaphore;
    QSharedMemory marker;
    QTimer showRequests;
};
