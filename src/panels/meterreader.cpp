#include "meterreader.h"

#include <controltable.h>
#include <korvistiocontrol.h>

#include <QCoreApplication>
#include <QDebug>
#include <QTimer>
#include <QWidget>

namespace panelkit {

namespace {

constexpr int kMeterIntervalMs = 500;
// A thread that is between requests ends at once; one that is not is left to end alone.
constexpr int kJoinMs = 100;

// Lives on the reader's thread, with everything it touches.
class MeterPoll : public QObject
{
public:
    MeterPoll(QWidget *panel, std::shared_ptr<bool> panelAlive, std::function<void(const MeterBlock &)> show)
        : panel(panel)
        , panelAlive(std::move(panelAlive))
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
        if (!device) {
            device = std::make_unique<KorvistIoControl>();
            device->open();
        }
        MeterBlock meters;
        if (!device->readMeters(meters)) {
            qDebug() << "Failed to read meter data from driver.";
            device.reset();
            return;
        }
        // The application as context, which outlives the panel: the reading
        // is shown only if the panel is still there when it arrives.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [panel = panel, alive = panelAlive, show = show, meters] {
                if (!*alive)
                    return;
                show(meters);
                if (auto *table = panel->findChild<controls::ControlTable *>(QString(), Qt::FindDirectChildrenOnly))
                    emit table->readoutsShown();
            },
            Qt::QueuedConnection);
    }

    QWidget *panel;
    std::shared_ptr<bool> panelAlive;
    std::function<void(const MeterBlock &)> show;
    std::unique_ptr<KorvistIoControl> device;
};

} // namespace

MeterReader::MeterReader(QWidget *panel, std::function<void(const MeterBlock &)> show)
    : QObject(panel)
    , thread(new QThread)
    , panelAlive(std::make_shared<bool>(true))
{
    auto *poll = new MeterPoll(panel, panelAlive, std::move(show));
    poll->moveToThread(thread);
    connect(thread, &QThread::started, poll, &MeterPoll::start);
    connect(thread, &QThread::finished, poll, &QObject::deleteLater);
    thread->start();
}

MeterReader::~MeterReader()
{
    *panelAlive = false;
    thread->quit();
    if (thread->wait(kJoinMs)) {
        delete thread;
        return;
    }
    qDebug() << "Meter reader left to finish its stalled request.";
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
}

} // namespace panelkit
