#pragma once

#include "pipe.h"

#include <gtest/gtest.h>
#include <string>
#include <windows.h>

namespace testsupport {

// Wine exports this from its ntdll; Windows does not.
inline bool runningUnderWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// Tests run in parallel processes: each one serves a name of its own.
inline std::string uniquePipeName()
{
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    return "KorvistTest-" + std::to_string(GetCurrentProcessId()) + '-' + test->test_suite_name() + '-'
           + test->name();
}

// A client that connects before the server waits is connected all the same (535).
inline void connectClient(platform::PipeServer &server, platform::PipeClient &client, const std::string &name,
                          bool messageMode)
{
    std::uint32_t error = 0;
    ASSERT_TRUE(client.open(name, error)) << error;
    if (messageMode) {
        ASSERT_TRUE(client.setMessageMode(error)) << error;
    }
    ASSERT_FALSE(server.waitForClient(error));
    ASSERT_EQ(error, 535u);
}

} // namespace testsupport
