#include "meterreader.h"

#include <controltable.h>
#include <korvistiocontrol.h>

#include <QDebug>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace panelkit {

namespace {

constexpr int kMeterIntervalMs = 500;

// Lives on the reader's thread, with everything it touches.
class MeterPoll : public QObject
{
public:
    MeterPoll(QWidget *panel, std::function<void(const MeterBlock &)> show)
        : panel(panel)
        , show(std::move(show))
    {
    }

    void start()
    {
        auto *timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, &MeterPoll::read);
        timer->start(kMeterIntervalMs);
    }

private:
    void read()
    {
        if (!device || device->timedOut()) {
            device = std::make_unique<KorvistIoControl>();
            device->open();
        }
        MeterBlock meters;
        if (!device->readMeters(meters)) {
            qDebug() << "Failed to read meter data from driver.";
            return;
        }
        // The panel as context: a reading that arrives after it is gone is dropped.
        QMetaObject::invokeMethod(
            panel,
            [panel = panel, show = show, meters] {
                show(meters);
                if (auto *table = panel->findChild<controls::ControlTable *>(QString(), Qt::FindDirectChildrenOnly))
                    emit table->readoutsShown();
            },
            Qt::QueuedConnection);
    }

    QWidget *panel;
    std::function<void(const MeterBlock &)> show;
    std::unique_ptr<KorvistIoControl> device;
};

} // namespace

MeterReader::MeterReader(QWidget *panel, std::function<void(const MeterBlock &)> show)
    : QObject(panel)
{
    auto *poll = new MeterPoll(panel, std::move(show));
    poll->moveToThread(&thread);
    connect(&thread, &QThread::started, poll, &MeterPoll::start);
    connect(&thread, &QThread::finished, poll, &QObject::deleteLater);
    thread.start();
}

MeterReader::~MeterReader()
{
    thread.quit();
    thread.wait();
}

} // namespace panelkit
