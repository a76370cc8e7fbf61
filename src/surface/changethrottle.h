#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

namespace surface {

// A dragged fader sends some 60 values a second: each control's changes go
// on at most once per kIntervalMs, the latest value winning, so the device
// never works through a backlog of values already overtaken. A preset sends
// a block of requests and writes the panel's file: one goes on at most once
// per kPresetIntervalMs, the latest waiting one winning, so a flood of loads
// costs the device and the window a few loads a second.
class ChangeThrottle : public QObject
{
public:
    static constexpr int kIntervalMs = 40;
    static constexpr int kPresetIntervalMs = 250;

    // apply(name, value) carries a change out.
    explicit ChangeThrottle(std::function<void(const QString &, int)> apply, QObject *parent = nullptr);

    void request(const QString &control, int value);
    // load() loads a preset, now or at the next preset slot. The changes that
    // wait are older, and it overtakes them; those that come while it waits go
    // on after it.
    void requestPreset(std::function<void()> load);
    // The value a control is going to, if one waits.
    std::optional<int> waiting(const QString &control) const;
    // Forgets what waits: the panel it was for is gone.
    void clear();
    // Forgets what waits for one control: a hand or a script moved it since.
    void drop(const QString &control) { pending.remove(control); }

private:
    void flush();
    bool loadPreset();

    std::function<void(const QString &, int)> apply;
    QHash<QString, QElapsedTimer> lastApplied;
    QHash<QString, int> pending;
    std::function<void()> pendingPreset;
    QElapsedTimer lastPreset;
    QTimer timer;
};

} // namespace surface
