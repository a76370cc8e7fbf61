#include "meterreader.h"

#include "panelkit.h"

#include <controltable.h>
#include <korvistiocontrol.h>

#include <QCoreApplication>
#include <QDebug>
#include <QLabel>
#include <QTimer>
#include <QWidget>

namespace panelkit {

namespace {

constexpr int kShowIntervalMs = 1000 / controls::kPanelMeterRate;
// A thread that is between requests ends at once; one that is not is left to end alone.
constexpr int kJoinMs = 100;

// Lives on the reader's thread, with everything it touches.
class MeterPoll : public QObject
{
public:
    MeterPoll(std::shared_ptr<std::atomic<int>> intervalMs, std::function<void(const MeterBlock &)> hand)
        : intervalMs(std::move(intervalMs))
        , hand(std::move(hand))
    {
    }

    void start()
    {
        timer = new QTimer(this);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, &MeterPoll::read);
        timer->start(*intervalMs);
    }

private:
    void read()
    {
        timer->start(*intervalMs);
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
        hand(meters);
    }

    std::shared_ptr<std::atomic<int>> intervalMs;
    std::function<void(const MeterBlock &)> hand;
    std::unique_ptr<KorvistIoControl> device;
    QTimer *timer = nullptr;
};

} // namespace

MeterReader::MeterReader(QWidget *panel)
    : QObject(panel)
    , panel(panel)
    , thread(new QThread)
    , panelAlive(std::make_shared<bool>(true))
    , intervalMs(std::make_shared<std::atomic<int>>(kShowIntervalMs))
{
    // The application as context, which outlives the panel: a reading is
    // taken only if the panel is still there when it arrives.
    auto hand = [this, alive = panelAlive](const MeterBlock &meters) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [this, alive, meters] {
                if (*alive)
                    take(meters);
            },
            Qt::QueuedConnection);
    };
    auto *poll = new MeterPoll(intervalMs, hand);
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

void MeterReader::take(const MeterBlock &meters)
{
    auto *table = panel->findChild<controls::ControlTable *>(QString(), Qt::FindDirectChildrenOnly);
    if (!table)
        return;
    *intervalMs = 1000 / table->meterRate();
    emit table->metersRead(meters);
    if (sinceShown.isValid() && sinceShown.elapsed() < kShowIntervalMs - kShowIntervalMs / 10)
        return;
    sinceShown.start();
    for (const controls::Readout &readout : table->readouts())
        for (QLabel *label : readout.labels)
            label->setText(levelText(readout.level(meters)));
}

} // namespace panelkit
