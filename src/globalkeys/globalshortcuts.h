#pragma once

#include "repeatbound.h"

#include <QAbstractNativeEventFilter>
#include <QKeyCombination>
#include <QObject>

#include <memory>

namespace platform {
class GlobalHotkeys;
}

namespace globalkeys {

// Global shortcuts of the desktop session: a key combination held while any
// program has the focus. Lives on the GUI thread and not past the application.
class GlobalShortcuts : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    enum class Outcome { Registered, Taken, Unsupported };

    explicit GlobalShortcuts(QObject *parent = nullptr);
    ~GlobalShortcuts() override;

    // One combination (a QKeyCombination; media keys are Qt::Key_VolumeUp,
    // Qt::Key_VolumeDown, Qt::Key_VolumeMute). An id added already is replaced.
    Outcome add(int id, QKeyCombination keys);
    void remove(int id);

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

signals:
    // One per press, and per repeat of a held key, at most ten a second.
    void activated(int id);

private:
    // Gone at quit, which hands every combination back to the session.
    std::unique_ptr<platform::GlobalHotkeys> hotkeys;
    RepeatBound repeats;
};

} // namespace globalkeys
