#pragma once

#include <QDialog>
#include <QPointer>

class QFormLayout;
class QVBoxLayout;
namespace controls {
class ControlTable;
}

// Sets the user's volume ceilings on the connected model's output and phone
// levels: a check box per level turns its limit on, a spin box beside it sets
// it in the level's unit. Each change is made at once, as --limit makes it,
// and a level above its new limit comes down to it; what went wrong (the
// interface refusing that, too) is said in a message box. A limit whose saved
// entry is damaged is said under its row until it is set again. Follows the
// window: a panel that comes or goes redraws the rows.
class VolumeLimitsDialog : public QDialog
{
    Q_OBJECT

public:
    // root: the main window, below which the shown panel is found.
    explicit VolumeLimitsDialog(QWidget *root, QWidget *parent = nullptr);

    // After the window shows another panel or none.
    void followPanel();

private:
    void setLimit(const QString &control, const QString &text);

    QPointer<QWidget> rootWidget;
    QPointer<controls::ControlTable> table;
    QVBoxLayout *layout = nullptr;
    QWidget *rows = nullptr;
};
