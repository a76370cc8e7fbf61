#include "globalshortcuts.h"

#include "keytranslation.h"
#include "nativedesktop.h"

#include <globalhotkeys.h>

#include <QCoreApplication>
#include <QDebug>

#include <utility>

namespace globalkeys {

namespace {

// Where the session lends no keys, every shortcut would say so: once is enough.
void sayOnce(const QString &whyNot)
{
    static bool said = false;
    if (!std::exchange(said, true))
        qWarning().noquote() << "Global shortcuts are off:" << whyNot;
}

} // namespace

GlobalShortcuts::GlobalShortcuts(QObject *parent)
    : QObject(parent)
    , hotkeys(std::make_unique<platform::GlobalHotkeys>(keyboardConnection()))
{
    QCoreApplication::instance()->installNativeEventFilter(this);
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { hotkeys.reset(); });
}

GlobalShortcuts::~GlobalShortcuts() = default;

GlobalShortcuts::Outcome GlobalShortcuts::add(int id, QKeyCombination keys)
{
    remove(id);
    const std::optional<platform::Hotkey> hotkey = hotkeyFor(keys);
    if (!hotkeys || !hotkey)
        return Outcome::Unsupported;
    switch (hotkeys->grab(id, *hotkey)) {
    case platform::GlobalHotkeys::Outcome::Registered:
        return Outcome::Registered;
    case platform::GlobalHotkeys::Outcome::Taken:
        return Outcome::Taken;
    case platform::GlobalHotkeys::Outcome::Unsupported:
        break;
    }
    if (const QString whyNot = whyNoKeys(); !whyNot.isEmpty())
        sayOnce(whyNot);
    return Outcome::Unsupported;
}

void GlobalShortcuts::remove(int id)
{
    if (hotkeys)
        hotkeys->release(id);
    repeats.forget(id);
}

bool GlobalShortcuts::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    // WM_HOTKEY is a thread message, which no window procedure sees: Qt's
    // event dispatcher offers it to the filters as it takes it from the queue.
    if (!hotkeys || (eventType != "xcb_generic_event_t" && eventType != "windows_generic_MSG"))
        return false;
    const std::optional<platform::GlobalHotkeys::Press> press = hotkeys->pressed(message);
    if (!press)
        return false;
    if (repeats.admits(press->id, press->timeMs))
        emit activated(press->id);
    return true;
}

} // namespace globalkeys
