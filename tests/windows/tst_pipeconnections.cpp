#include "testsupport.h"
#include "win32errors.h"

#include <functional>
#include <chrono>
#include <memory>
#include <thread>

using platform::PipeClient;
using platform::PipeServer;

namespace {

constexpr std::uint32_t kErrorBrokenPipe = 109;
constexpr std::uint32_t kShortWaitMs = 50;

TEST(PipeConnection, ClientBeforeTheWaitIsConnected)
{
    const std::string name = testsupport::uniquePipeName();
    PipeServer server(name);
    PipeClient client;
    std::uint32_t error = 0;
    ASSERT_TRUE(server.create(error)) << error;
    ASSERT_TRUE(client.open(name, error)) << error;
    EXPECT_FALSE(server.waitForClient(error));
    EXPECT_EQ(error, platform::kErrorPipeConnected);
    const char byte = '1';
    ASSERT_TRUE(client.write(&byte, 1, error)) << error;
    char received = 0;
    std::uint32_t bytesRead = 0;
    EXPECT_TRUE(server.readMessage(&received, 1, bytesRead, error)) << error;
    EXPECT_EQ(received, byte);
}

TEST(PipeConnection, ClientLeavingWithoutWritingFailsTheRead)
{
    const std::string name = testsupport::uniquePipeName();
    PipeServer server(name);
    PipeClient client;
    std::uint32_t error = 0;
    ASSERT_TRUE(server.create(error)) << error;
    ASSERT_NO_FATAL_FAILURE(testsupport::connectClient(server, client, name, false));
    client.close();
    char buffer[16];
    std::uint32_t bytesRead = 0;
    EXPECT_FALSE(server.readMessage(buffer, sizeof buffer, bytesRead, error));
    EXPECT_EQ(error, kErrorBrokenPipe);
}

// Such a client must not shut the pipe for the ones after it.
TEST(PipeConnection, ClientLeavingBeforeTheWaitDoesNotBlockTheNext)
{
    const std::string name = testsupport::uniquePipeName();
    PipeServer server(name);
    std::uint32_t error = 0;
    ASSERT_TRUE(server.create(error)) << error;
    {
        PipeClient early;
        ASSERT_TRUE(early.open(name, error)) << error;
    }
    bool connected = false;
    std::uint32_t waitError = 0;
    std::thread listener([&] { connected = server.waitForClient(waitError); });
    PipeClient next;
    std::uint32_t openError = 0;
    for (int attempt = 0; attempt < 100 && !next.open(name, openError); ++attempt)
        std::this_thread::sleep_for(std::chrono::milliseconds(kShortWaitMs));
    listener.join();
    EXPECT_TRUE(connected || waitError == platform::kErrorPipeConnected) << waitError;
    const char byte = '1';
    ASSERT_TRUE(next.write(&byte, 1, error)) << error;
    char received = 0;
    std::uint32_t bytesRead = 0;
    EXPECT_TRUE(server.readMessage(&received, 1, bytesRead, error)) << error;
    EXPECT_EQ(received, byte);
}

// A client that connects and says nothing must not keep out the clients behind it.
TEST(PipeConnection, SilentClientIsLetGoAndTheNextServed)
{
    const std::string name = testsupport::uniquePipeName();
    PipeServer server(name);
    PipeClient silent;
    std::uint32_t error = 0;
    ASSERT_TRUE(server.create(error)) << error;
    ASSERT_NO_FATAL_FAILURE(testsupport::connectClient(server, silent, name, true));
    char received = 0;
    std::uint32_t bytesRead = 0;
    EXPECT_FALSE(server.readMessage(&received, 1, bytesRead, error, kShortWaitMs));
    EXPECT_EQ(error, platform::kErrorSemTimeout);
    server.disconnect();
    std::uint32_t waitError = 0;
    std::thread listener([&] { server.waitForClient(waitError); });
    PipeClient next;
    std::uint32_t openError = 0;
    for (int attempt = 0; attempt < 100 && !next.open(name, openError); ++attempt)
        PipeClient::waitForPipe(name, kShortWaitMs, openError);
    listener.join();
    ASSERT_TRUE(next.write("2", 1, error)) << error;
    EXPECT_TRUE(server.readMessage(&received, 1, bytesRead, error)) << error;
    EXPECT_EQ(received, '2');
}

struct Unavailable
{
    const char *label;
    bool serverPresent;
    std::uint32_t openError;
    std::uint32_t waitError;
};

class UnavailablePipe : public ::testing::TestWithParam<Unavailable>
{};

TEST_P(UnavailablePipe, RefusesOpenAndWait)
{
    const Unavailable &expected = GetParam();
    const std::string name = testsupport::uniquePipeName();
    PipeServer server(name);
    PipeClient firstClient;
    std::uint32_t error = 0;
    if (expected.serverPresent) {
        ASSERT_TRUE(server.create(error)) << error;
        ASSERT_NO_FATAL_FAILURE(testsupport::connectClient(server, firstClient, name, true));
    }

    PipeClient client;
    EXPECT_FALSE(client.open(name, error));
    EXPECT_EQ(error, expected.openError);
    EXPECT_FALSE(PipeClient::waitForPipe(name, kShortWaitMs, error));
    EXPECT_EQ(error, expected.waitError);
}

INSTANTIATE_TEST_SUITE_P(Win32, UnavailablePipe,
                         ::testing::Values(Unavailable {"Absent", false, platform::kErrorFileNotFound,
                                                        platform::kErrorFileNotFound},
                                           Unavailable {"BusyWithAnotherClient", true, platform::kErrorPipeBusy,
                                                        platform::kErrorSemTimeout}),
                         [](const auto &info) { return std::string(info.param.label); });

TEST(PipeConnection, DestroyedServerFreesItsName)
{
    const std::string name = testsupport::uniquePipeName();
    std::uint32_t error = 0;
    {
        PipeServer server(name);
        ASSERT_TRUE(server.create(error)) << error;
    }
    PipeClient client;
    EXPECT_FALSE(client.open(name, error));
    EXPECT_EQ(error, platform::kErrorFileNotFound);
    PipeServer successor(name);
    EXPECT_TRUE(successor.create(error)) << error;
}

TEST(PipeConnection, SecondServerOnTheNameIsRefused)
{
    if (testsupport::runningUnderWine())
        GTEST_SKIP() << "wine 8.0 ignores FILE_FLAG_FIRST_PIPE_INSTANCE and creates a second instance";
    const std::string name = testsupport::uniquePipeName();
    PipeServer first(name);
    PipeServer second(name);
    std::uint32_t error = 0;
    ASSERT_TRUE(first.create(error)) << error;
    EXPECT_FALSE(second.create(error));
    EXPECT_EQ(error, platform::kErrorAccessDenied);
    EXPECT_FALSE(second.isOpen());
}

struct ClosedEnd
{
    const char *label;
    std::function<bool(std::uint32_t &)> call;
};

class ClosedEnds : public ::testing::TestWithParam<ClosedEnd>
{};

TEST_P(ClosedEnds, FailWithInvalidHandle)
{
    std::uint32_t error = 0;
    EXPECT_FALSE(GetParam().call(error));
    EXPECT_EQ(error, platform::kErrorInvalidHandle);
}

// Each call gets an end that was never opened.
INSTANTIATE_TEST_SUITE_P(
    Win32, ClosedEnds,
    ::testing::Values(
        ClosedEnd {"ServerWait",
                   [](std::uint32_t &error) { return PipeServer("KorvistTest-never").waitForClient(error); }},
        ClosedEnd {"ServerRead",
                   [](std::uint32_t &error) {
                       char buffer[4];
                       std::uint32_t bytesRead = 0;
                       return PipeServer("KorvistTest-never").readMessage(buffer, 4, bytesRead, error);
                   }},
        ClosedEnd {"ClientMessageMode", [](std::uint32_t &error) { return PipeClient().setMessageMode(error); }},
        ClosedEnd {"ClientWrite", [](std::uint32_t &error) { return PipeClient().write("1", 1, error); }}),
    [](const auto &info) { return std::string(info.param.label); });

} // namespace
