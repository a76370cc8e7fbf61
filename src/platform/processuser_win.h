#pragma once

#include <cstdint>
#include <vector>

// Who a process runs as: the user SID in its token.
namespace platform::win {

using Sid = std::vector<unsigned char>;

// Empty when the process cannot be asked: gone, or another user's, whose
// process and token refuse a query from us.
Sid processUser(std::uint32_t processId);
// False whenever it cannot be told, so that an unknown is never taken for our own user.
bool runsAs(std::uint32_t processId, const Sid &user);

} // namespace platform::win
