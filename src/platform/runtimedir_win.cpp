#include "runtimedir.h"

namespace platform {

bool checkEndpointDir(std::string &problem)
{
    problem.clear();
    return true;
}

} // namespace platform
