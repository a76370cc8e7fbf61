#include "termination.h"

namespace platform {

int terminationRequests()
{
    return -1;
}

void clearTerminationRequests()
{
}

} // namespace platform
