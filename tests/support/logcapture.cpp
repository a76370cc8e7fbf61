#include "logcapture.h"

#include <QMutex>
#include <QtGlobal>

namespace {

// Threads log too (the ASIO listener does), while the test reads on its own.
QMutex mutex;
QStringList captured;
QtMessageHandler previous = nullptr;

void collect(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg || type == QtCriticalMsg) {
        previous(type, context, message);
        return;
    }
    const QMutexLocker lock(&mutex);
    captured.append(message);
}

} // namespace

LogCapture::LogCapture()
{
    clear();
    previous = qInstallMessageHandler(collect);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(previous);
}

QStringList LogCapture::lines() const
{
    const QMutexLocker lock(&mutex);
    return captured;
}

void LogCapture::clear()
{
    const QMutexLocker lock(&mutex);
    captured.clear();
}
