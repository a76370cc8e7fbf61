#pragma once

#include "protocol.h"

class QWidget;

namespace remote {

// Carries out one request on the panel shown below root (the main window),
// through the controls' own setters, exactly as a click or a turn would.
Answer execute(QWidget *root, const Request &request);

} // namespace remote
