#pragma once

#include <meterblock.h>

#include <QObject>
#include <QThread>

#include <functional>
#include <memory>

class QWidget;

namespace panelkit {

// Reads the device's 192 levels every 500 ms, on a thread and a connection of
// its own, and hands each reading to the panel on the panel's thread. The
// readouts are all a reading is for, so a driver that stalls it holds this
// thread only, never the window; a connection that failed in any way is
// opened anew at the next reading.
class MeterReader : public QObject
{
public:
    MeterReader(QWidget *panel, std::function<void(const MeterBlock &)> show);
    // Never waits for a stalled request: the thread then ends on its own once
    // the request's deadline has passed, and its last reading is dropped.
    ~MeterReader() override;

private:
    QThread *thread;
    // Whether the panel is still there, read and cleared on the panel's thread only.
    std::shared_ptr<bool> panelAlive;
};

} // namespace panelkit
