#pragma once

#include <QString>

class QTranslator;

namespace translation {

// The translation language for a system locale name ("zh_TW" -> "zh_CN");
// exact, case-sensitive, "en_US" for any name not in the table.
QString languageFor(const QString &localeName);

// Loads KorvistDriver_<language>.qm from the directory, falling back to the
// en_US file, and installs the translator when one of them loads.
bool install(QTranslator &translator, const QString &localeName, const QString &directory);

} // namespace translation
