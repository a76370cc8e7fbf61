#pragma once

#include <QString>

// A request's answer as the window shows it: in the user's language, like
// every other text of the window. Scripts keep the English the answer is
// written in (docs/remote-control.md documents it), so the window recognises
// each sentence of it and shows that sentence's translation; what it does not
// recognise it shows as it is.
QString shownAnswer(const QString &answer);
