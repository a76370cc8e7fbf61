#pragma once

#include <controltable.h>

// Which controls of a panel belong to one output, for the media keys and the
// on-screen display. The panel marks each control with the heading of the
// column it stands in (controls::kSectionProperty), and its MUTE switch as
// the one that silences that column (controls::kMutesColumnProperty).
namespace shortcuts {

bool isLevel(const controls::Control &control);
// The MUTE switch in the level's column; null where it has none.
const controls::Control *muteOf(const controls::ControlTable &table, const controls::Control &level);
// The level of the switch's column, which the on-screen display shows with it; null where it has none.
const controls::Control *levelOf(const controls::ControlTable &table, const controls::Control &control);
// The output the tray's wheel and the media keys step unless told otherwise: the first the panel declares.
const controls::Control *mainOutput(const controls::ControlTable &table);

} // namespace shortcuts
