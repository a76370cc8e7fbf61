#include "testsupport.h"
#include "win32errors.h"

#include <chrono>
#include <thread>

using platform::PipeClient;
using platform::PipeServer;

namespace {

struct WaitOutcome
{
    bool connected = true;
    std::uint32_t error = 0;
};

// The listener thread of the product: one waitForClient on its own thread.
std::thread listen(PipeServer &server, WaitOutcome &outcome)
{
    return std::thread([&server, &outcome] { outcome.connected = server.waitForClient(outcome.error); });
}

void expectReleased(PipeServer &server)
{
    std::uint32_t error = 0;
    EXPECT_FALSE(server.waitForClient(error));
    EXPECT_EQ(error, platform::kErrorOperationAborted);
}

struct Timing
{
    const char *label;
    std::chrono::milliseconds beforeRelease;
};

class PendingWait : public ::testing::TestWithParam<Timing>
{};

// The pause only makes it likely that the listener is already blocked; the
// outcome must be the same whether it is or not.
TEST_P(PendingWait, EndsWithAbortedAndStaysReleased)
{
    PipeServer server(testsupport::uniquePipeName());
    std::uint32_t error = 0;
    ASSERT_TRUE(server.create(error)) << error;
    WaitOutcome outcome;
    std::thread listener = listen(server, outcome);
    std::this_thread::sleep_for(GetParam().beforeRelease);
    server.release();
    listener.join();
    EXPECT_FALSE(outcome.connected);
    EXPECT_EQ(outcome.error, platform::kErrorOperationAborted);
    expectReleased(server);
}

INSTANTIATE_TEST_SUITE_P(Win32, PendingWait,
                         ::testing::Values(Timing {"RightAfterStart", std::chrono::milliseconds(0)},
                                           Timing {"WhileBlocked", std::chrono::milliseconds(200)}),
                         [](const auto &info) { return std::string(info.param.label); });

// A release racing the listener into its wait must never be lost (a lost one hangs here).
TEST(PipeRelease, RacingTheWaitIsNeverLost)
{
    for (int round = 0; round < 50; ++round) {
        PipeServer server(testsupport::uniquePipeName() + '-' + std::to_string(round));
        std::uint32_t error = 0;
        ASSERT_TRUE(server.create(error)) << error;
        WaitOutcome outcome;
        std::thread listener = listen(server, outcome);
        server.release();
        listener.join();
        ASSERT_FALSE(outcome.connected) << "round " << round;
        ASSERT_EQ(outcome.error, platform::kErrorOperationAborted) << "round " << round;
    }
}

TEST(PipeRelease, BeforeAnyWait)
{
    PipeServer server(testsupport::uniquePipeName());
    std::uint32_t error = 0;
    ASSERT_TRUE(server.create(error)) << error;
    server.release();
    expectReleased(server);
}

// A client that connects and never writes must not hold the listener at shutdown.
TEST(PipeRelease, EndsAReadFromASilentClient)
{
    const std::string name = testsupport::uniquePipeName();
    PipeServer server(name);
    PipeClient client;
    std::uint32_t error = 0;
    ASSERT_TRUE(server.create(error)) << error;
    ASSERT_NO_FATAL_FAILURE(testsupport::connectClient(server, client, name, false));
    bool read = true;
    std::uint32_t readError = 0;
    std::thread reader([&] {
        char buffer[16];
        std::uint32_t bytesRead = 0;
        read = server.readMessage(buffer, sizeof buffer, bytesRead, readError);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    server.release();
    reader.join();
    EXPECT_FALSE(read);
    EXPECT_EQ(readError, platform::kErrorOperationAborted);

    // Later reads end at once too, even with a message waiting.
    ASSERT_TRUE(client.write("1", 1, error)) << error;
    char received = 0;
    std::uint32_t bytesRead = 0;
    EXPECT_FALSE(server.readMessage(&received, 1, bytesRead, error));
    EXPECT_EQ(error, platform::kErrorOperationAborted);
    server.disconnect();
    expectReleased(server);
}

} // namespace
