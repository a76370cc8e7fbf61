#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace surface {

// The name a mistyped one most likely meant: the same but for case, or at
// most two letters away; nothing when none is that near.
std::optional<QString> nearestName(const QString &typed, const QStringList &names);

} // namespace surface
