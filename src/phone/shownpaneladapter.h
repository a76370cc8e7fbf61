#pragma once

#include "phonepanel.h"

#include <QPointer>

class QWidget;

namespace controls {
class ControlTable;
struct Control;
} // namespace controls

// The phone's view of the panel the window shows, straight on the table of
// controls: a change passes the safety gate as a surface's does, then the
// control's own setter; a preset loads as a script's would.
namespace phone {

class ShownPanelAdapter : public PhonePanel
{
public:
    // root: the main window, below which the shown panel is found.
    explicit ShownPanelAdapter(QWidget *root, QObject *parent = nullptr);

    // After the window shows another panel or none.
    void followPanel();
    // Whether this session drives the interface; another session's holds it otherwise.
    void setAtConsole(bool atConsole);

    void handle(const Command &command, int client) override;
    PanelView view() const override;
    void askMeterRate(int readingsPerSecond) override;

private:
    void refuse(int client, const QString &why);

    QPointer<QWidget> rootWidget;
    QPointer<controls::ControlTable> followed;
    bool atConsole = true;
    int meterRate = 0;
};

} // namespace phone
