#include "instancescope.h"

#include <unistd.h>

namespace platform {

std::string instanceNameSuffix()
{
    return "-" + std::to_string(::geteuid());
}

} // namespace platform
