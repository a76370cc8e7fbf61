#include "threadsettingspip.h"

#include "asionotice.h"
#include "namedpipeserver.h"
#include "settings.h"

#include <QDebug>

namespace {
// At most ten notices a second are taken in.
constexpr unsigned long kPausePerPassMs = 100;
}

ThreadSettingsPip::ThreadSettingsPip(QObject *parent)
    : QThread(parent)
    , pipe(new NamedPipeServer(QString::fromLatin1(kAsioToPanelPipe)))
{
    if (!pipe->create())
        qDebug() << "Failed to create named pipe in ThreadSettingsPip.";
    lastBufferSize = 0;
    qDebug() << "ThreadSettingsPip initialized.";
}

ThreadSettingsPip::~ThreadSettingsPip()
{
    requestInterruption();
    pipe->release();
    wait();
    delete pipe;
}

void ThreadSettingsPip::run()
{
    while (!isInterruptionRequested()) {
        qDebug() << "ThreadSettingsPip is running waiting Asio Info...";
        AsioReceiveBuffer buffer {};
        if (pipe->readMessage(buffer))
            takeNotice(AsioNotice::fromBuffer(buffer));
        else
            qDebug() << "No data received from pipe.";
        if (!isInterruptionRequested())
            msleep(kPausePerPassMs);
    }
}

void ThreadSettingsPip::takeNotice(const AsioNotice &notice)
{
    qDebug() << "Received data from pipe:" << notice.value0 << notice.bufferSize << notice.value2 << notice.value3
             << notice.openWindow;
    currentBufferSize = notice.bufferSize;
    if (currentBufferSize != lastBufferSize) {
        Settings *dialog = owner;
        const std::uint32_t size = currentBufferSize;
        // Posted before the show request below, to the same receiver, so the
        // dialog applies the size before it comes to the front.
        QMetaObject::invokeMethod(
            dialog, [dialog, size] { dialog->setAsioBufferSize(size); }, Qt::QueuedConnection);
        qDebug() << "ASIO Buffer Size changed to:" << currentBufferSize;
    }
    lastBufferSize = currentBufferSize;
    if (notice.openWindow != 0) {
        qDebug() << "Open Window Signal from ASIO.";
        emit progressUpdated(1);
    }
}
