#pragma once

#include <QComboBox>

class QLabel;
class QString;

// Makes the self-drawn controls readable and operable by screen readers
// (Narrator and NVDA through UI Automation, Orca through AT-SPI).
namespace accessibility {

// Once, at start-up, before any window exists.
void install();

// Names a label whose text is a reading that keeps changing: screen readers then
// say the name and read the text as its value. The meter updates are not
// announced; a reader hears the current reading when it moves to the label.
void nameReadout(QLabel *readout, const QString &name, const QString &description);

// A choice box whose choices made with keys reach a screen reader. Qt 6.4's
// AT-SPI bridge tells a closed box's new choice as a name change without the
// text, and Orca drops it; so a choice made with a key while the box has the
// focus is also told as the focus entering that choice's item in the hidden
// list, which Orca speaks. Only that event moves: the keyboard focus and what
// is on the screen stay as they are. Readers that pass a description change
// on say it for the focused control, so the box carries its choice there too.
class ComboBox : public QComboBox
{
public:
    explicit ComboBox(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace accessibility
