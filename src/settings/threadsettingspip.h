#pragma once

#include <QThread>

#include <cstdint>

class NamedPipeServer;
class Settings;
struct AsioNotice;

// Listens on "\\.\pipe\KorvistASIOToPannel" for the ASIO driver's notices: one
// message per client, then a 100 ms pause, for the whole run. Buffer sizes go
// to the owner's setAsioBufferSize on the GUI thread; a request to open the
// window is progressUpdated(1), queued after the size of the same notice.
class ThreadSettingsPip : public QThread
{
    Q_OBJECT

public:
    // Creates the pipe at once, so it exists before the thread starts.
    explicit ThreadSettingsPip(QObject *parent);
    // Stops the loop, releases a pending wait, waits for the thread without
    // limit and only then closes the pipe.
    ~ThreadSettingsPip() override;

    // Set before start() and never again.
    Settings *owner = nullptr;

signals:
    void progressUpdated(int value);

protected:
    void run() override;

private:
    void takeNotice(const AsioNotice &notice);

    NamedPipeServer *pipe;
    std::uint32_t currentBufferSize = 0;
    std::uint32_t lastBufferSize = 0;
};
