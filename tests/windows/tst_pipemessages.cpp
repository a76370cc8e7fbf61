#include "testsupport.h"
#include "win32errors.h"

#include <cstring>
#include <vector>

using platform::PipeClient;
using platform::PipeServer;

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint32_t kReadBuffer = 1024;

Bytes pattern(std::size_t size)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = std::uint8_t(i * 7 + 1);
    return bytes;
}

template<std::size_t N>
Bytes utf16WithNul(const char16_t (&text)[N])
{
    Bytes bytes(sizeof text);
    std::memcpy(bytes.data(), text, sizeof text);
    return bytes;
}

Bytes asioNotice(std::uint32_t bufferSize, std::uint32_t openWindow)
{
    const std::uint32_t fields[5] = {7, bufferSize, 0, 0, openWindow};
    Bytes bytes(sizeof fields);
    std::memcpy(bytes.data(), fields, sizeof fields);
    return bytes;
}

class PipeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::uint32_t error = 0;
        ASSERT_TRUE(server.create(error)) << error;
    }

    void send(const Bytes &message)
    {
        std::uint32_t error = 0;
        ASSERT_TRUE(client.write(message.data(), std::uint32_t(message.size()), error)) << error;
    }

    // Reads one message into a buffer of the given capacity and returns what arrived.
    Bytes receive(std::uint32_t capacity, bool expectSuccess, std::uint32_t expectError)
    {
        Bytes buffer(capacity, 0);
        std::uint32_t bytesRead = 0;
        std::uint32_t error = 0;
        EXPECT_EQ(server.readMessage(buffer.data(), capacity, bytesRead, error), expectSuccess);
        EXPECT_EQ(error, expectError);
        buffer.resize(bytesRead);
        return buffer;
    }

    const std::string name = testsupport::uniquePipeName();
    PipeServer server {name};
    PipeClient client;
};

struct ProductMessage
{
    const char *label;
    Bytes bytes;
    std::size_t wireSize;
    bool clientSetsMessageMode;
};

class ProductMessages : public PipeTest, public ::testing::WithParamInterface<ProductMessage>
{};

TEST_P(ProductMessages, ArriveWholeAndIntact)
{
    const ProductMessage &message = GetParam();
    ASSERT_EQ(message.bytes.size(), message.wireSize);
    ASSERT_NO_FATAL_FAILURE(
        testsupport::connectClient(server, client, name, message.clientSetsMessageMode));
    send(message.bytes);
    EXPECT_EQ(receive(kReadBuffer, true, platform::kErrorSuccess), message.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Win32, ProductMessages,
    ::testing::Values(ProductMessage {"AsioResetByte", {0x31}, 1, false},
                      ProductMessage {"StartMonitor", utf16WithNul(u"START_MONITOR"), 28, true},
                      ProductMessage {"StopMonitor", utf16WithNul(u"STOP_MONITOR"), 26, true},
                      ProductMessage {"AsioNotice", asioNotice(128, 1), 20, false},
                      ProductMessage {"FillsTheReadBuffer", pattern(kReadBuffer), kReadBuffer, false}),
    [](const auto &info) { return std::string(info.param.label); });

struct MessagePair
{
    const char *label;
    std::size_t firstSize;
    std::size_t secondSize;
};

class Boundaries : public PipeTest, public ::testing::WithParamInterface<MessagePair>
{};

TEST_P(Boundaries, TwoWritesStayTwoMessages)
{
    const Bytes first = pattern(GetParam().firstSize);
    Bytes second = pattern(GetParam().secondSize);
    second.front() ^= 0xFF;
    ASSERT_NO_FATAL_FAILURE(testsupport::connectClient(server, client, name, true));
    send(first);
    send(second);
    EXPECT_EQ(receive(kReadBuffer, true, platform::kErrorSuccess), first);
    EXPECT_EQ(receive(kReadBuffer, true, platform::kErrorSuccess), second);
}

INSTANTIATE_TEST_SUITE_P(Win32, Boundaries,
                         ::testing::Values(MessagePair {"ShortThenShort", 3, 5},
                                           MessagePair {"OneByteThenFull", 1, kReadBuffer},
                                           MessagePair {"FullThenOneByte", kReadBuffer, 1}),
                         [](const auto &info) { return std::string(info.param.label); });

struct Overflow
{
    const char *label;
    std::size_t messageSize;
    std::uint32_t capacity;
};

class LongMessages : public PipeTest, public ::testing::WithParamInterface<Overflow>
{};

TEST_P(LongMessages, FailWithMoreDataAndKeepTheRest)
{
    const Overflow &overflow = GetParam();
    const Bytes message = pattern(overflow.messageSize);
    ASSERT_NO_FATAL_FAILURE(testsupport::connectClient(server, client, name, true));
    send(message);
    const Bytes head = receive(overflow.capacity, false, platform::kErrorMoreData);
    const Bytes tail = receive(kReadBuffer * 8, true, platform::kErrorSuccess);
    EXPECT_EQ(head, Bytes(message.begin(), message.begin() + overflow.capacity));
    EXPECT_EQ(tail, Bytes(message.begin() + overflow.capacity, message.end()));
}

INSTANTIATE_TEST_SUITE_P(Win32, LongMessages,
                         ::testing::Values(Overflow {"OneByteTooMany", kReadBuffer + 1, kReadBuffer},
                                           Overflow {"TwoIntoOne", 2, 1},
                                           Overflow {"PageIntoNotice", 4096, 20}),
                         [](const auto &info) { return std::string(info.param.label); });

} // namespace
