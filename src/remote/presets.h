#pragma once

#include "protocol.h"

#include <QStringList>

#include <optional>

// Named states of one model: files in the model's ini format, in
// presets/<model>/ beside its ini file, private to the user. A preset is
// checked whole before anything is sent, loaded through the safety gate's
// replay, and never switches phantom power on.
namespace controls {
class ControlTable;
}

namespace remote::presets {

// Letters, digits, space, '-' and '_', 1 to 64 characters, no space at either
// end (Windows drops trailing spaces from file names, so "a " would be "a"),
// and none of the device names Windows keeps (CON, NUL, COM1, ...).
bool validName(const QString &name);
// Why the name is refused, naming the rule; nothing for a valid name.
std::optional<answers::Sentence> nameRefusal(const QString &name);

QStringList list(const controls::ControlTable &table);
Answer save(const controls::ControlTable &table, const QString &name);
Answer load(const controls::ControlTable &table, const QString &name);
Answer remove(const controls::ControlTable &table, const QString &name);

} // namespace remote::presets
