#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class Button;
class Knob;
class QSettings;
class QWidget;

namespace remote {

// One control a script can reach, named as its ini file names it.
struct Control
{
    QString name; // "SpeakerValue": the key without its group
    QString key;  // "Dial/SpeakerValue"
    Knob *knob = nullptr;
    Button *button = nullptr;

    // As the file writes it: a whole number, or true/false.
    QString valueText() const;
    bool isPhantomPower() const;
    // The input a phantom power switch feeds ("MIC1"); empty for others.
    QString channel() const;
};

// The panel the window shows now, found below the window: the widget that can
// replay its saved state, and the controls it restores, in the panel's order.
// Holds no pointers beyond the request it is made for, as the panel goes when
// the interface is unplugged.
class LivePanel
{
public:
    explicit LivePanel(QWidget *root);

    bool present() const { return panel != nullptr; }
    // The panel's class, which names its ini file: rk1, rk2 or rs.
    QString model() const;
    // Null when the panel had no usable ini file.
    QSettings *settings() const;
    const std::vector<Control> &controls() const { return found; }
    const Control *find(const QString &name) const;
    QStringList names() const;
    // Re-runs the panel's own state restore from its ini file.
    bool restoreState() const;

private:
    QWidget *panel = nullptr;
    std::vector<Control> found;
};

} // namespace remote
