#include "instancescope.h"

namespace platform {

std::string instanceNameSuffix()
{
    return {};
}

} // namespace platform
