#include "localchannel.h"
#include "processuser_win.h"
#include "testsupport.h"

#include <aclapi.h>
#include <memory>

namespace {

using Holder = std::shared_ptr<void>;
using platform::win::Sid;

std::wstring pipePath(const std::string &name)
{
    return L"\\\\.\\pipe\\" + std::wstring(name.begin(), name.end());
}

// As QLocalServer creates each of its instances.
Holder addInstance(const std::string &name)
{
    return Holder(CreateNamedPipeW(pipePath(name).c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                   PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES, 0, 0,
                                   3000, nullptr),
                  CloseHandle);
}

Sid wellKnown(WELL_KNOWN_SID_TYPE type)
{
    Sid sid(SECURITY_MAX_SID_SIZE);
    DWORD size = DWORD(sid.size());
    CreateWellKnownSid(type, nullptr, sid.data(), &size);
    sid.resize(size);
    return sid;
}

Sid aceSid(PACL dacl, DWORD index, BYTE type)
{
    ACCESS_ALLOWED_ACE *ace = nullptr; // a denying one has the same layout
    if (!GetAce(dacl, index, reinterpret_cast<void **>(&ace)) || ace->Header.AceType != type)
        return {};
    const auto *sid = reinterpret_cast<const unsigned char *>(&ace->SidStart);
    return Sid(sid, sid + GetLengthSid(&ace->SidStart));
}

// Whoever created the name first would receive the user's commands.
TEST(ChannelClaim, RefusesANameThatSomeoneElseCreatedFirst)
{
    const std::string name = testsupport::uniquePipeName();
    const Holder occupant = addInstance(name);
    ASSERT_NE(occupant.get(), INVALID_HANDLE_VALUE) << GetLastError();
    platform::LocalChannelClaim claim;
    std::uint32_t error = 0;
    EXPECT_FALSE(claim.take(name, error));
    EXPECT_EQ(error, platform::kErrorAccessDenied);
}

TEST(ChannelClaim, LeavesClientsToTheInstancesAddedAfterIt)
{
    const std::string name = testsupport::uniquePipeName();
    platform::LocalChannelClaim claim;
    std::uint32_t error = 0;
    ASSERT_TRUE(claim.take(name, error)) << error;
    platform::PipeClient early;
    EXPECT_FALSE(early.open(name, error));
    EXPECT_EQ(error, platform::kErrorPipeBusy);

    const Holder added = addInstance(name);
    ASSERT_NE(added.get(), INVALID_HANDLE_VALUE) << GetLastError();
    const Holder client(CreateFileW(pipePath(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                    nullptr),
                        CloseHandle);
    ASSERT_NE(client.get(), INVALID_HANDLE_VALUE) << GetLastError();
    EXPECT_TRUE(platform::localChannelServedBySameUser(reinterpret_cast<std::intptr_t>(client.get())));

    // The pipe has one security descriptor, the claim's: nobody from the network, then the user alone.
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetSecurityInfo(added.get(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                              nullptr, &descriptor),
              DWORD(ERROR_SUCCESS));
    const Holder freed(descriptor, LocalFree);
    ASSERT_EQ(dacl ? dacl->AceCount : 0, 2);
    EXPECT_EQ(aceSid(dacl, 0, ACCESS_DENIED_ACE_TYPE), wellKnown(WinNetworkSid));
    EXPECT_EQ(aceSid(dacl, 1, ACCESS_ALLOWED_ACE_TYPE), platform::win::processUser(GetCurrentProcessId()));
}

// A request runs only while its client waits for the answer; Qt's closed socket gives -1.
TEST(ChannelServer, ToldWhenItsClientHasGone)
{
    const std::string name = testsupport::uniquePipeName();
    const Holder served = addInstance(name);
    ASSERT_NE(served.get(), INVALID_HANDLE_VALUE) << GetLastError();
    const HANDLE client = CreateFileW(pipePath(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      0, nullptr);
    ASSERT_NE(client, INVALID_HANDLE_VALUE) << GetLastError();
    const auto connection = reinterpret_cast<std::intptr_t>(served.get());
    EXPECT_TRUE(platform::localChannelClientWaiting(connection));
    CloseHandle(client);
    EXPECT_FALSE(platform::localChannelClientWaiting(connection));
    EXPECT_FALSE(platform::localChannelClientWaiting(-1));
}

// Under wine every process runs as one user: LocalSystem's SID stands in for another user's.
TEST(ChannelServer, NotProvenOursIsRefused)
{
    EXPECT_FALSE(platform::win::runsAs(GetCurrentProcessId(), wellKnown(WinLocalSystemSid)));
    EXPECT_FALSE(platform::win::runsAs(0, platform::win::processUser(GetCurrentProcessId())));
    const Holder event(CreateEventW(nullptr, TRUE, FALSE, nullptr), CloseHandle);
    EXPECT_FALSE(platform::localChannelServedBySameUser(reinterpret_cast<std::intptr_t>(event.get())));
}

} // namespace
