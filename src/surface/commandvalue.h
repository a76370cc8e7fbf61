#pragma once

#include "command.h"

#include <controltable.h>
#include <sentence.h>

#include <QString>

#include <optional>
#include <variant>

namespace surface {

// What a surface's change asks of a control, as text for the gate's parser
// (the way a script would give it), or why the command does not fit the
// control. waiting: the value a throttled change is taking the control to,
// which a toggle flips rather than the value still shown. A number beyond the
// range stays as it was sent, so the gate's refusal names what the surface sent.
std::variant<QString, answers::Sentence> valueText(const controls::Control &control, const Command &command,
                                                   std::optional<int> waiting);

} // namespace surface
