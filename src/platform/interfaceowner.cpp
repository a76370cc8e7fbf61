#include "interfaceowner.h"

#include <fstream>

namespace platform {

namespace fs = std::filesystem;

bool interfaceDrivenElsewhereLast()
{
    const fs::path dir = interfaceStampDir();
    if (dir.empty())
        return false;
    const std::string own = ownInterfaceStamp();
    std::error_code error;
    const fs::file_time_type ownTime = fs::last_write_time(dir / own, error);
    const bool drovenHere = !error;
    for (const fs::directory_entry &stamp : fs::directory_iterator(dir, error)) {
        if (stamp.path().filename() == own)
            continue;
        std::error_code unreadable;
        const fs::file_time_type time = stamp.last_write_time(unreadable);
        // A tie counts against us: a take-over only ever leaves phantom power off.
        if (!unreadable && (!drovenHere || time >= ownTime))
            return true;
    }
    return false;
}

void markInterfaceDrivenHere()
{
    const fs::path dir = interfaceStampDir();
    if (dir.empty())
        return;
    const fs::path stamp = dir / ownInterfaceStamp();
    std::ofstream(stamp, std::ios::app).close();
    std::error_code error;
    fs::last_write_time(stamp, fs::file_time_type::clock::now(), error);
}

} // namespace platform
