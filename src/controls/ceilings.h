#pragma once

#include "controltable.h"

#include <sentence.h>

#include <QString>

#include <optional>

// The user's volume ceilings: hearing protection on the output and phone
// levels, which every way in obeys (the knob stops at it, the gate refuses a
// script's or a surface's value above it and takes a replay's down to it).
namespace controls {

// Sets the ceiling of one of the table's levels from text: a whole number
// within the control's range, or "none" to lift it. It is kept for the
// model, marked on the knob, and a level above it comes down to it at once,
// through the gate. The refusal says why nothing was changed.
std::optional<answers::Sentence> setCeiling(const ControlTable &table, const Control &control, const QString &text);

// "HeadphoneValue -10" or "HeadphoneValue none".
QString ceilingLine(const Control &control);
// One for each level of the table that takes a ceiling.
QStringList ceilingLines(const ControlTable &table);

} // namespace controls
