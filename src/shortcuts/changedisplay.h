#pragma once

#include <controltable.h>

#include <QObject>
#include <QPointer>

#include <functional>

class QSystemTrayIcon;
class QWidget;

namespace globalkeys {
class OnScreenDisplay;
}

// What the on-screen display shows of a change: the control as the panel
// names it, its value as the panel writes it, the level's place on a fader's
// taper, whether its output is muted, and a note. A switch of an output shows
// as that output's level, muted or not, with any other switch (DIM) named
// after it: what a listener wants to know is how loud it now plays. Every change made by a
// shortcut or a media key shows; the changes that scripts, surfaces and phones
// make show too while the user has chosen so. The display is built when first
// shown and goes by itself.
namespace shortcuts {

struct ShownChange
{
    QString label;
    QString value;
    double fraction = 0;
    bool muted = false;
    QString detail; // the switch that changed, where the level is shown for it: "SPEAKER DIM On"
};
ShownChange shownChange(const controls::ControlTable &table, const controls::Control &control);

class ChangeDisplay : public QObject
{
    Q_OBJECT

public:
    // root: the main window, below which the shown panel is found.
    explicit ChangeDisplay(QWidget *root, QObject *parent = nullptr);
    ~ChangeDisplay() override;

    // The display shows itself beside this icon where the system tells where it sits.
    void setTrayIcon(const QSystemTrayIcon *icon);
    // note: where it stopped ("limited to -30 dB") or why it was refused; empty for none.
    void show(const controls::ControlTable &table, const controls::Control &control, const QString &note);
    void showPreset(const QString &name, const QString &note);
    // Runs a change of the shortcuts' own, which shows with its note, not as another's.
    void whileOwnChange(const std::function<void()> &change);

    void setShowsOtherChanges(bool on);
    bool showsOtherChanges() const { return othersShown; }
    // After the window shows another panel or none.
    void followPanel();

private:
    void showOthers(const controls::Control &control);
    globalkeys::OnScreenDisplay &displayed();

    QPointer<QWidget> root;
    QPointer<const QSystemTrayIcon> trayIcon;
    QPointer<globalkeys::OnScreenDisplay> display;
    QPointer<controls::ControlTable> followed;
    bool othersShown = false;
    bool ownChange = false;
};

} // namespace shortcuts
