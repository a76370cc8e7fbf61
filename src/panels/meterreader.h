#pragma once

#include <meterblock.h>

#include <QElapsedTimer>
#include <QObject>
#include <QThread>

#include <atomic>
#include <memory>

class QWidget;

namespace panelkit {

// Reads the device's 192 levels, on a thread and a connection of its own,
// and hands each reading to the panel's table of controls on the panel's
// thread: the table's readout labels show one every 500 ms, and the table
// tells every reading to whoever listens, as often as its meter rate asks
// (a surface's level feed). The readouts are all a reading is for, so a
// driver that stalls it holds this thread only, never the window; a
// connection that failed in any way is opened anew at the next reading.
class MeterReader : public QObject
{
public:
    explicit MeterReader(QWidget *panel);
    // Never waits for a stalled request: the thread then ends on its own once
    // the request's deadline has passed, and its last reading is dropped.
    ~MeterReader() override;

private:
    void take(const MeterBlock &meters);

    QWidget *panel;
    QThread *thread;
    // Whether the panel is still there, read and cleared on the panel's thread only.
    std::shared_ptr<bool> panelAlive;
    // Between readings, set here and read by the thread.
    std::shared_ptr<std::atomic<int>> intervalMs;
    QElapsedTimer sinceShown;
};

} // namespace panelkit
