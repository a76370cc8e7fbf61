#include "interfaceowner.h"

#include <optional>

namespace platform {

namespace fs = std::filesystem;

namespace {
// Without trustworthy stamps a program knows only what it did itself. That is
// enough after its first drive: the session watch hands the interface over at
// every switch of sessions, the only way another sign-in's program gets to drive it.
bool drivenHereThisRun = false;
bool distrustTold = false;
} // namespace

bool interfaceDrivenElsewhereLast(std::string *distrust)
{
    std::string why;
    const fs::path dir = interfaceStampDir(why);
    if (!why.empty()) {
        if (distrust && !distrustTold) {
            *distrust = why;
            distrustTold = true;
        }
        return !drivenHereThisRun;
    }
    if (dir.empty())
        return false;
    std::optional<fs::file_time_type> ownTime;
    std::optional<fs::file_time_type> othersTime;
    std::error_code error;
    for (const fs::directory_entry &stamp : fs::directory_iterator(dir, error)) {
        std::error_code unreadable;
        const fs::file_time_type time = stamp.last_write_time(unreadable);
        if (unreadable)
            continue;
        std::optional<fs::file_time_type> &latest = isOwnInterfaceStamp(stamp.path()) ? ownTime : othersTime;
        if (!latest || time > *latest)
            latest = time;
    }
    // A tie counts against us: a take-over only ever leaves phantom power off.
    return othersTime && (!ownTime || *othersTime >= *ownTime);
}

void markInterfaceDrivenHere()
{
    drivenHereThisRun = true;
    std::string distrust;
    const fs::path dir = interfaceStampDir(distrust);
    if (!dir.empty())
        stampInterfaceDrivenHere(dir);
}

} // namespace platform
