#include "logcapture.h"

#include <QtGlobal>

namespace {

QStringList captured;
QtMessageHandler previous = nullptr;

void collect(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg || type == QtCriticalMsg) {
        previous(type, context, message);
        return;
    }
    captured.append(message);
}

} // namespace

LogCapture::LogCapture()
{
    captured.clear();
    previous = qInstallMessageHandler(collect);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(previous);
}

QStringList LogCapture::lines() const
{
    return captured;
}

void LogCapture::clear()
{
    captured.clear();
}
