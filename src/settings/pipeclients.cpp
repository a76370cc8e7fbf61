#include "pipeclients.h"

#include <pipe.h>
#include <win32errors.h>

#include <QByteArray>
#include <QDebug>

namespace {

const std::string kAudioControlPipe = "KorvistAudioControlPipe";
const std::string kPanelToAsioPipe = "KorvistPannelToASIO";
constexpr std::uint32_t kBusyWaitMs = 1000;
constexpr int kMaxBusyWaits = 3;

// Little-endian whatever the host, as the service on Windows reads it.
QByteArray utf16LeWithTerminator(const QString &text)
{
    QByteArray bytes;
    bytes.reserve((text.size() + 1) * 2);
    for (const QChar unit : text) {
        bytes.append(char(unit.unicode() & 0xFF));
        bytes.append(char(unit.unicode() >> 8));
    }
    bytes.append(2, '\0');
    return bytes;
}

} // namespace

bool sendAudioControlCommand(const QString &command)
{
    const QByteArray message = utf16LeWithTerminator(command);
    int busyWaits = 0;
    platform::PipeClient pipe;
    std::uint32_t error = 0;
    while (!pipe.open(kAudioControlPipe, error)) {
        if (error != platform::kErrorPipeBusy) {
            qWarning() << "Could not open pipe. Is Audio Service running? Error:" << error;
            return false;
        }
        if (!platform::PipeClient::waitForPipe(kAudioControlPipe, kBusyWaitMs, error)) {
            qWarning() << "WaitNamedPipe timed out.";
            return false;
        }
        if (++busyWaits >= kMaxBusyWaits)
            return false;
    }
    if (!pipe.setMessageMode(error)) {
        qWarning() << "SetNamedPipeHandleState failed.";
        return false;
    }
    const bool written = pipe.write(message.constData(), std::uint32_t(message.size()), error);
    if (written)
        qDebug() << "Pipe Command Sent:" << command;
    else
        qWarning() << "WriteFile to pipe failed. Error:" << error;
    return written;
}

void notifyAsioReset()
{
    platform::PipeClient pipe;
    std::uint32_t error = 0;
    if (!pipe.open(kPanelToAsioPipe, error)) {
        qDebug() << "Error: Could not open pipe. Error code:" << error;
        return;
    }
    qDebug() << "Pipe opened successfully.";
    const char resetSignal = '1';
    if (pipe.write(&resetSignal, 1, error))
        qDebug() << "ASIO reset signal sent successfully.";
    else
        qDebug() << "Error: Failed to send ASIO reset signal. Error code:" << error;
    pipe.close();
    qDebug() << "设置通知ASIO逻辑";
}
