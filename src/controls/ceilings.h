#pragma once

#include "controltable.h"

#include <sentence.h>

#include <QString>

#include <optional>

// The user's volume ceilings: hearing protection on the output and phone
// levels, which every way in obeys (the knob stops at it, the gate refuses a
// script's or a surface's value above it and takes a replay's down to it).
namespace controls {

// Why a ceiling was not set, or, once it was, that the level could not be
// brought down to it.
struct CeilingRefusal
{
    answers::Sentence text;
    // The ceiling is set and kept, but the interface refused the request that
    // takes the level down to it: the level it plays may be louder.
    bool byInterface = false;
};

// Sets the ceiling of one of the table's levels from text: a whole number
// within the control's range, or "none" to lift it. It is kept for the
// model, marked on the knob, and a level above it comes down to it at once,
// through the gate.
std::optional<CeilingRefusal> setCeiling(const ControlTable &table, const Control &control, const QString &text);

// Where limits.ini holds a damaged entry for the control, which holds its
// level at the bottom: that, and that its limit wants setting again.
std::optional<answers::Sentence> damagedCeilingNote(const ControlTable &table, const Control &control);

// "HeadphoneValue -10" or "HeadphoneValue none".
QString ceilingLine(const Control &control);
// One for each level of the table that takes a ceiling, a damaged one's note after it.
QStringList ceilingLines(const ControlTable &table);

} // namespace controls
