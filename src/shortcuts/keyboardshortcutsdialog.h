#pragma once

#include "offeredactions.h"

#include <QDialog>
#include <QPointer>

#include <vector>

class QCheckBox;
class QComboBox;
class QKeySequenceEdit;
class QLabel;
class QSpinBox;

namespace shortcuts {

class ShortcutService;

// Keys for the whole desktop session: a key sequence editor for each action
// the shown panel offers (see offeredActions), the media keys' output and
// step, and whether changes from scripts, surfaces and phones show on the
// on-screen display. Each change is made at once, as --hotkey and
// --media-keys make it; a combination another program holds is said beside
// its editor and not kept. Follows the service, so a change from the command
// line or another panel shows here too.
class KeyboardShortcutsDialog : public QDialog
{
    Q_OBJECT

public:
    // root: the main window, below which the shown panel is found.
    KeyboardShortcutsDialog(ShortcutService &service, QWidget *root, QWidget *parent = nullptr);
    ~KeyboardShortcutsDialog() override;

private:
    struct Row
    {
        OfferedAction offered;
        QKeySequenceEdit *editor = nullptr;
        QLabel *status = nullptr;
    };

    void follow();
    void build();
    QWidget *buildMediaKeys(QWidget *parent);
    void showState();
    void record(const Row &row);
    void chooseMediaKeys();
    // Beside the control and in its accessible description; empty: nothing to say.
    void say(QLabel *status, QWidget *described, const QString &text);

    ShortcutService &service;
    QPointer<QWidget> root;
    QWidget *content = nullptr;
    std::vector<Row> rows;
    QComboBox *mediaOutput = nullptr;
    QSpinBox *mediaStep = nullptr;
    QLabel *mediaStatus = nullptr;
    QCheckBox *otherChanges = nullptr;
};

} // namespace shortcuts
