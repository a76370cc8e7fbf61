#pragma once

#include "changedisplay.h"
#include "shortcutsfile.h"

#include <globalshortcuts.h>
#include <protocol.h>

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>

class QWidget;

// The global shortcuts and the media keys of the running program: kept in
// shortcuts.ini, held for the whole desktop session, and each press carried
// out through the same code as --step and --set, with the gate a way in from
// outside the window passes (48 V only off), then shown on the on-screen
// display.
namespace shortcuts {

using Outcome = globalkeys::GlobalShortcuts::Outcome;

class ShortcutService : public QObject
{
    Q_OBJECT

public:
    // root: the main window, below which the shown panel is found.
    explicit ShortcutService(QWidget *root, QObject *parent = nullptr);

    // Holds what the file keeps; one that another program holds is logged.
    void start();
    // The command line's hotkey and media-keys requests.
    remote::Answer command(const remote::Request &request);

    const Bindings &bindings() const { return saved; }
    // How the combination was last asked of the desktop.
    Outcome outcomeOf(QKeyCombination keys) const;
    // Holds the combination for the action, or with none lets it go, and only
    // then saves it: a combination another program holds is refused, never kept.
    remote::Answer bind(QKeyCombination keys, const std::optional<Action> &action);
    const MediaKeys &mediaKeys() const { return media; }
    // The media keys step wanted.output (off when empty): held all three, or refused.
    remote::Answer setMediaKeys(const MediaKeys &wanted);
    ChangeDisplay &display() { return changeDisplay; }
    void setShowsOtherChanges(bool on);

    // The tray icon's wheel, a step per notch (up for positive), and its
    // middle click, a toggle of that output's MUTE: the media keys' output, or
    // the model's main output while they are off.
    void stepByWheel(int notches);
    void toggleMuteByTray();
    // After the window shows another panel or none.
    void followPanel();

signals:
    // A shortcut, the media keys or the display's choice changed, however it was made, or the panel did.
    void changed();

private:
    void activate(int id);
    void runMediaKey(Qt::Key key);
    void run(const QString &who, const Action &action);
    void change(const QString &who, const Action &action);
    Outcome hold(QKeyCombination keys);
    void letGo(QKeyCombination keys);
    // All three, or none: why not, when not.
    std::optional<answers::Sentence> holdMediaKeys();
    // The level the media keys step, or the one the tray steps while they are off.
    QString mediaOutput() const;
    std::optional<Action> muteAction(const QString &who, const QString &level);
    void sayOnce(const QString &line);
    remote::Answer hotkeyCommand(const QString &argument);
    remote::Answer mediaKeysCommand(const QString &argument);
    QString mediaKeysText() const;

    QPointer<QWidget> root;
    globalkeys::GlobalShortcuts keys;
    ChangeDisplay changeDisplay;
    Bindings saved;
    MediaKeys media;
    QHash<int, Outcome> outcomes; // by QKeyCombination::toCombined()
    QSet<QString> said;
};

// The keyboard's volume keys, which the media keys take from the system while on.
inline constexpr Qt::Key kMediaKeys[] = {Qt::Key_VolumeUp, Qt::Key_VolumeDown, Qt::Key_VolumeMute};

} // namespace shortcuts
