#pragma once

#include <sentence.h>

#include <QKeyCombination>
#include <QString>

#include <optional>

// What a global shortcut does, as the user writes it on the command line and
// in shortcuts.ini: "step SpeakerValue=2", "toggle SpeakerMuteIsChecked",
// "preset Podcast" or "show"; and the key combination it is held on.
namespace shortcuts {

struct Action
{
    enum class Kind { Step, Toggle, Preset, Show };

    Kind kind = Kind::Show;
    QString target; // the control's name, or the preset's
    int amount = 0; // a step's dB, up or down

    // As it is written, which parseAction reads back.
    QString text() const;
    bool operator==(const Action &other) const = default;
};

// Nothing when the text is none of the four, or a step is 0 or larger than a
// key may take (remote::kLargestKeyStep); why says what is valid.
std::optional<Action> parseAction(const QString &text, answers::Sentence &why);

// One key with Ctrl, Alt or Meta (Win) held, as Qt writes it: "Ctrl+Alt+Up".
// A plain key, or Shift with one, held for the whole desktop would be taken
// from every other program, so it is refused, as is a sequence of several.
std::optional<QKeyCombination> parseKeys(const QString &text, answers::Sentence &why);
QString keysText(QKeyCombination keys);

} // namespace shortcuts
