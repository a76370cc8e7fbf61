#pragma once

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

} // namespace accessibility
