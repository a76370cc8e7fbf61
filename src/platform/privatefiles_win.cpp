#include "privatefiles.h"

namespace platform {

void createPrivateDirectory(const std::string &) {}

void createPrivateFile(const std::string &) {}

} // namespace platform
