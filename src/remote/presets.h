#pragma once

#include "protocol.h"

#include <QStringList>

#include <optional>

// Named states of one model: files in the model's ini format, in
// presets/<model>/ beside its ini file. A preset is loaded through the panel's
// own state restore, and never switches phantom power on.
namespace remote {

class LivePanel;

namespace presets {

// Letters, digits, space, '-' and '_', 1 to 64 characters, no space at either
// end (Windows drops trailing spaces from file names, so "a " would be "a").
bool validName(const QString &name);
// Why the name is refused, naming the rule; nothing for a valid name.
std::optional<QString> nameRefusal(const QString &name);

QStringList list(const LivePanel &panel);
Answer save(const LivePanel &panel, const QString &name);
Answer load(const LivePanel &panel, const QString &name);
Answer remove(const LivePanel &panel, const QString &name);

} // namespace presets
} // namespace remote
