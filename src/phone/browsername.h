#pragma once

#include <QString>

namespace phone {

// "Chrome on Android", from a browser's User-Agent, for the user to know the
// phone asking; "a browser" when it names nothing known. Never longer than a line.
QString browserName(const QString &userAgent);

} // namespace phone
