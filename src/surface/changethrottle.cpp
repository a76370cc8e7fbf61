#include "changethrottle.h"

#include <QList>
#include <QPair>

#include <algorithm>
#include <utility>

namespace surface {

ChangeThrottle::ChangeThrottle(std::function<void(const QString &, int)> applyChange, QObject *parent)
    : QObject(parent)
    , apply(std::move(applyChange))
{
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, &ChangeThrottle::flush);
}

void ChangeThrottle::request(const QString &control, int value)
{
    const auto last = lastApplied.constFind(control);
    if (!pendingPreset && !pending.contains(control)
        && (last == lastApplied.cend() || last->hasExpired(kIntervalMs))) {
        lastApplied[control].start();
        apply(control, value);
        return;
    }
    pending.insert(control, value);
    // A waiting preset keeps the timer going.
    if (!timer.isActive())
        timer.start(int(std::max<qint64>(kIntervalMs - last->elapsed(), 1)));
}

void ChangeThrottle::requestPreset(std::function<void()> load)
{
    pending.clear();
    pendingPreset = std::move(load);
    if (!loadPreset())
        timer.start(int(std::max<qint64>(kPresetIntervalMs - lastPreset.elapsed(), 1)));
}

// Loads the waiting preset if its slot has come; false while it waits.
bool ChangeThrottle::loadPreset()
{
    if (lastPreset.isValid() && !lastPreset.hasExpired(kPresetIntervalMs))
        return false;
    lastPreset.start();
    const std::function<void()> load = std::exchange(pendingPreset, nullptr);
    // The changes that came while it waited go on after it.
    if (!pending.isEmpty())
        timer.start(0);
    load();
    return true;
}

std::optional<int> ChangeThrottle::waiting(const QString &control) const
{
    const auto found = pending.constFind(control);
    return found == pending.cend() ? std::nullopt : std::optional(*found);
}

void ChangeThrottle::clear()
{
    pending.clear();
    pendingPreset = nullptr;
    timer.stop();
}

void ChangeThrottle::flush()
{
    if (pendingPreset) {
        if (!loadPreset())
            timer.start(int(std::max<qint64>(kPresetIntervalMs - lastPreset.elapsed(), 1)));
        return;
    }
    QList<QPair<QString, int>> due;
    qint64 soonest = kIntervalMs;
    for (auto it = pending.begin(); it != pending.end();) {
        QElapsedTimer &last = lastApplied[it.key()];
        if (last.isValid() && !last.hasExpired(kIntervalMs)) {
            soonest = std::min(soonest, kIntervalMs - last.elapsed());
            ++it;
            continue;
        }
        due.append({it.key(), it.value()});
        last.start();
        it = pending.erase(it);
    }
    if (!pending.isEmpty())
        timer.start(int(std::max<qint64>(soonest, 1)));
    // Last: a change may drop the panel, and with it everything that waits.
    for (const auto &[control, value] : due)
        apply(control, value);
}

} // namespace surface
