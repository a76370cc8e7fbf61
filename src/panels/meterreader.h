#pragma once

#include <meterblock.h>

#include <QObject>
#include <QThread>

#include <functional>

class QWidget;

namespace panelkit {

// Reads the device's 192 levels every 500 ms, on a thread and a connection of
// its own, and hands each reading to the panel on the panel's thread. The
// readouts are all a reading is for, so a driver that stalls it holds this
// thread only, never the window; a connection that timed out is opened anew at
// the next reading.
class MeterReader : public QObject
{
public:
    MeterReader(QWidget *panel, std::function<void(const MeterBlock &)> show);
    // Waits for the thread: at most one request's deadline, when it is stalled.
    ~MeterReader() override;

private:
    QThread thread;
};

} // namespace panelkit
