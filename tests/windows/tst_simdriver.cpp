#include "simdriver.h"

#include "commandrequest.h"
#include "iocontrolcodes.h"
#include "mixerblock.h"
#include "win32errors.h"

#include <array>
#include <cstring>
#include <limits>
#include <memory>
#include <regex>

using namespace simdriver;

namespace {

constexpr std::uint32_t kUnknownCode = 0xFFDC2058;

Bytes command(std::uint8_t target, std::uint8_t selector = 0, int channel = 0, int value = 0)
{
    const CommandRequest request = CommandRequest::make(target, selector, channel, value);
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(&request);
    return Bytes(bytes, bytes + sizeof request);
}

Bytes mixer(double firstGain)
{
    MixerBlock block;
    applyBaseRouting(block);
    block.crosspoint[0][0] = firstGain;
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(&block);
    return Bytes(bytes, bytes + sizeof block);
}

Bytes firmwareReply(const std::string &text)
{
    Bytes reply(32, 0);
    std::memcpy(reply.data(), text.data(), text.size());
    return reply;
}

struct Answer
{
    const char *label;
    std::uint32_t code;
    Bytes in;
    std::uint32_t outSize;
    Bytes reply;
};

class Codes : public Test, public ::testing::WithParamInterface<Answer>
{};

// An RS with firmware text and USB errors of its own, audio stopped first so
// that the settings may change.
TEST_P(Codes, AnswerWithTheirExactBytes)
{
    ASSERT_EQ(simcontrol::setProductId(15), 0u);
    ASSERT_EQ(simcontrol::setFirmware("RS-FW 2.17"), 0u);
    ASSERT_EQ(simcontrol::setUsbErrors(0x01020304), 0u);
    Connection device;
    ASSERT_TRUE(device.isOpen()) << device.openError;
    ASSERT_TRUE(device.call(iocode::StopAudio).ok);
    const Answer &answer = GetParam();
    const Reply reply = device.call(answer.code, answer.in, answer.outSize);
    ASSERT_TRUE(reply.ok) << reply.error;
    EXPECT_EQ(reply.bytes, answer.reply);
}

INSTANTIATE_TEST_SUITE_P(
    SimDriver, Codes,
    ::testing::Values(
        Answer {"WriteMixer", iocode::WriteMixer, mixer(0.5), 0, {}},
        Answer {"SetBufferSize", iocode::SetBufferSize, word(512), 0, {}},
        Answer {"GetBufferSize", iocode::GetBufferSize, {}, 4, word(192)},
        Answer {"GetUsbLatency", iocode::GetUsbLatency, {}, 4, word(24)},
        Answer {"SetUsbLatency", iocode::SetUsbLatency, word(8), 0, {}},
        Answer {"StopAudio", iocode::StopAudio, {}, 0, {}},
        Answer {"StartAudio", iocode::StartAudio, {}, 0, {}},
        Answer {"GetProductId", iocode::GetProductId, {}, 4, word(15)},
        Answer {"EnableSlowMode", iocode::EnableSlowMode, {}, 0, {}},
        Answer {"DisableSlowMode", iocode::DisableSlowMode, {}, 0, {}},
        Answer {"Command", iocode::Command, command(commandtarget::MicVolume, kVolumeSelector, 1, 84), 0, {}},
        Answer {"QueryCommand", iocode::QueryCommand, command(commandtarget::FirmwareVersion), 32,
                firmwareReply("RS-FW 2.17")},
        Answer {"GetUsbStatus", iocode::GetUsbStatus, {}, 7, {0x00, 0x02, 0x00, 0x04, 0x03, 0x02, 0x01}}),
    [](const auto &info) { return std::string(info.param.label); });

// The meters are the fourteenth code: their bytes move on every read.
TEST_F(Test, MetersMoveAroundTheirLevelsShapedByGainAndPad)
{
    ASSERT_EQ(simcontrol::setMeters({1000000, 1000000, -3000000, 0, 77777}), 0u);
    Connection device;
    ASSERT_TRUE(device.call(iocode::Command, command(commandtarget::MicVolume, kVolumeSelector, 1, 24)).ok);
    ASSERT_TRUE(device.call(iocode::Command, command(commandtarget::Mic20dB, 1, 2)).ok);
    // The phone pair reads only where the mixer routes it: here its first half, (64, 2) = 1.0.
    EXPECT_EQ(levelAt(device.call(iocode::ReadMeters, {}, 768).bytes, 2), 0);
    Bytes mixer(66304, 0);
    mixer[8 * (64 * 32 + 2) + 6] = 0xF0;
    mixer[8 * (64 * 32 + 2) + 7] = 0x3F;
    ASSERT_TRUE(device.call(iocode::WriteMixer, mixer).ok);
    const Reply first = device.call(iocode::ReadMeters, {}, 768);
    const Reply second = device.call(iocode::ReadMeters, {}, 768);
    ASSERT_TRUE(first.ok && second.ok);
    EXPECT_NE(first.bytes, second.bytes);
    for (const Reply *read : {&first, &second}) {
        // 12 dB of gain (24 half-dB steps) is 3.98 times; the pad a tenth.
        EXPECT_GE(levelAt(read->bytes, 0), 3981072 * 9 / 16 - 1);
        EXPECT_LE(levelAt(read->bytes, 0), 3981072);
        EXPECT_GE(levelAt(read->bytes, 1), 100000 * 9 / 16 - 1);
        EXPECT_LE(levelAt(read->bytes, 1), 100000);
        EXPECT_LE(levelAt(read->bytes, 2), -3000000 * 9 / 16 + 1);
        EXPECT_GE(levelAt(read->bytes, 2), -3000000);
        EXPECT_EQ(levelAt(read->bytes, 3), 0);
        EXPECT_GE(levelAt(read->bytes, 4), 77777 * 9 / 16 - 1);
        EXPECT_EQ(levelAt(read->bytes, 191), 0);
    }
}

// What a refusal journals, one request of each kind on a fresh device.
struct Refusal
{
    const char *label;
    std::uint32_t code;
    Bytes in;
    std::uint32_t outSize;
    std::uint32_t error;
};

class Refusals : public Test, public ::testing::WithParamInterface<Refusal>
{};

TEST_P(Refusals, FailWithTheirErrorAndAreJournalled)
{
    const Refusal &refusal = GetParam();
    Connection device;
    const Reply reply = device.call(refusal.code, refusal.in, refusal.outSize);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, refusal.error);
    EXPECT_EQ(reply.bytes, Bytes(refusal.outSize, 0xAA));
    ASSERT_EQ(journal().size(), 1u);
    EXPECT_NE(journal()[0].find("\"outSize\":" + std::to_string(refusal.outSize)
                                + ",\"status\":" + std::to_string(refusal.error) + "}"),
              std::string::npos)
        << journal()[0];
}

std::vector<Refusal> refusals()
{
    struct Sizes
    {
        const char *name;
        std::uint32_t code;
        std::uint32_t in;
        std::uint32_t out;
    };
    const Sizes sizes[] = {
        {"WriteMixer", iocode::WriteMixer, 66304, 0},     {"SetBufferSize", iocode::SetBufferSize, 4, 0},
        {"GetBufferSize", iocode::GetBufferSize, 0, 4},   {"GetUsbLatency", iocode::GetUsbLatency, 0, 4},
        {"SetUsbLatency", iocode::SetUsbLatency, 4, 0},   {"ReadMeters", iocode::ReadMeters, 0, 768},
        {"StopAudio", iocode::StopAudio, 0, 0},           {"StartAudio", iocode::StartAudio, 0, 0},
        {"GetProductId", iocode::GetProductId, 0, 4},     {"EnableSlowMode", iocode::EnableSlowMode, 0, 0},
        {"DisableSlowMode", iocode::DisableSlowMode, 0, 0}, {"Command", iocode::Command, 37, 0},
        {"QueryCommand", iocode::QueryCommand, 37, 32},   {"GetUsbStatus", iocode::GetUsbStatus, 0, 7},
    };
    std::vector<Refusal> all;
    for (const Sizes &s : sizes) {
        const Bytes rightIn = s.code == iocode::QueryCommand ? command(commandtarget::FirmwareVersion)
                              : s.code == iocode::Command    ? command(commandtarget::Mic48V, 1, 1)
                                                             : Bytes(s.in, 0);
        Bytes longer = rightIn;
        longer.push_back(0);
        all.push_back({s.name, s.code, longer, s.out, 87});
        if (s.in > 0)
            all.push_back({s.name, s.code, Bytes(rightIn.begin(), rightIn.end() - 1), s.out, 87});
        all.push_back({s.name, s.code, rightIn, s.out + 1, 122});
        if (s.out > 0)
            all.push_back({s.name, s.code, rightIn, s.out - 1, 122});
    }
    all.push_back({"UnknownCode", kUnknownCode, {}, 0, 1});
    all.push_back({"BufferSizeWhileAudioRuns", iocode::SetBufferSize, word(256), 0, 170});
    all.push_back({"LatencyWhileAudioRuns", iocode::SetUsbLatency, word(16), 0, 170});
    all.push_back({"BufferSizeOutOfRange", iocode::SetBufferSize, word(2048), 0, 87});
    all.push_back({"LatencyOutOfRange", iocode::SetUsbLatency, word(0), 0, 87});
    all.push_back({"MixerNotANumber", iocode::WriteMixer, mixer(std::numeric_limits<double>::quiet_NaN()), 0, 87});
    all.push_back({"MixerInfinite", iocode::WriteMixer, mixer(std::numeric_limits<double>::infinity()), 0, 87});
    for (const std::size_t mustBeZero : {std::size_t(2), std::size_t(36)}) {
        Bytes request = command(commandtarget::Mic48V, 1, 1);
        request[mustBeZero] = 1;
        all.push_back({"CommandNonZeroByte", iocode::Command, request, 0, 87});
    }
    all.push_back({"UpgradeWithChannel", iocode::Command, command(commandtarget::UpgradeFirmware, 0, 1), 0, 87});
    all.push_back({"VolumeWithoutSelector", iocode::Command, command(commandtarget::OutVolume, 0, 1, 100), 0, 87});
    return all;
}

INSTANTIATE_TEST_SUITE_P(SimDriver, Refusals, ::testing::ValuesIn(refusals()), [](const auto &info) {
    return info.param.label + std::string("_") + std::to_string(info.index);
});

// Each status the control program can make a code fail with comes back as
// the same Win32 error through DeviceIoControl.
class FailedCode : public Test, public ::testing::WithParamInterface<std::uint32_t>
{};

TEST_P(FailedCode, ReturnsTheErrorUntilHealed)
{
    ASSERT_EQ(simcontrol::failCode(iocode::GetProductId, GetParam()), 0u);
    Connection device;
    Reply reply = device.call(iocode::GetProductId, {}, 4);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, GetParam());
    EXPECT_TRUE(device.call(iocode::GetBufferSize, {}, 4).ok);
    ASSERT_EQ(simcontrol::failCode(iocode::GetProductId, 0), 0u);
    reply = device.call(iocode::GetProductId, {}, 4);
    EXPECT_TRUE(reply.ok) << reply.error;
    EXPECT_EQ(reply.bytes, word(1));
}

INSTANTIATE_TEST_SUITE_P(SimDriver, FailedCode, ::testing::Values(1u, 5u, 21u, 31u, 87u, 122u, 170u, 1117u, 1167u));

TEST_F(Test, ControlRefusesWhatTheDeviceCannotBe)
{
    EXPECT_EQ(simcontrol::failCode(iocode::GetProductId, 999), 87u);
    EXPECT_EQ(simcontrol::failCode(kUnknownCode, 31), 87u);
    EXPECT_EQ(simcontrol::setFirmware(std::string(33, 'x')), 87u);
    EXPECT_EQ(simcontrol::setMeters(std::vector<std::int32_t>(193, 1)), 87u);
    // A model's name is its letters alone, whatever follows its NUL.
    for (const char *model : {"rk1", "rk2", "rs"})
        EXPECT_EQ(simcontrol::setModel(std::string(model) + '\0'), 87u) << model;
    Connection device;
    EXPECT_EQ(device.call(iocode::QueryCommand, command(commandtarget::FirmwareVersion), 32).bytes,
              firmwareReply("1.0.3"));
}

// The golden session: both simulators must journal exactly these lines for
// these requests, sent on the connections the lines name.
TEST_F(Test, JournalsTheGoldenSessionLineForLine)
{
    std::ifstream golden(KORVIST_GOLDEN_SESSION, std::ios::binary);
    ASSERT_TRUE(golden.is_open()) << KORVIST_GOLDEN_SESSION;
    const std::regex fields(
        R"re(\{"seq":\d+,"conn":(\d+),"code":"0x([0-9A-F]{8})","in":"([0-9a-f]*)","outSize":(\d+),"status":(\d+)\})re");
    std::vector<std::unique_ptr<Connection>> connections;
    std::vector<std::string> expected;
    for (std::string line; std::getline(golden, line);) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, fields)) << line;
        const std::size_t connection = std::stoul(match[1]);
        while (connections.size() < connection)
            connections.push_back(std::make_unique<Connection>());
        const Reply reply = connections[connection - 1]->call(std::uint32_t(std::stoul(match[2], nullptr, 16)),
                                                              fromHex(match[3]), std::uint32_t(std::stoul(match[4])));
        EXPECT_EQ(reply.error, std::stoul(match[5])) << line;
        expected.push_back(line);
    }
    EXPECT_EQ(journal(), expected);
}

// A request the driver holds fails when the seam's deadline passes and the
// driver gives it back cancelled; the device answers again once the stall ends.
TEST_F(Test, StalledRequestIsCancelledAtTheDeadline)
{
    ASSERT_EQ(simcontrol::stall(iocode::GetProductId), 0u);
    Connection device;
    const Reply stalled = device.call(iocode::GetProductId, {}, 4);
    EXPECT_FALSE(stalled.ok);
    EXPECT_EQ(stalled.error, platform::kErrorSemTimeout);
    ASSERT_EQ(simcontrol::stall(0), 0u);
    EXPECT_EQ(device.call(iocode::GetProductId, {}, 4).bytes, word(1));
    EXPECT_EQ(journal().size(), 1u);
}

// A device that replies just as the seam cancels: its answer, though late, is the call's.
TEST_F(Test, RequestAnsweredDuringTheCancelGraceSucceeds)
{
    ASSERT_EQ(simcontrol::stall(iocode::GetProductId, true), 0u);
    Connection device;
    const Reply late = device.call(iocode::GetProductId, {}, 4);
    EXPECT_TRUE(late.ok) << late.error;
    EXPECT_EQ(late.bytes, word(1));
    EXPECT_EQ(journal().size(), 1u);
}

TEST_F(Test, HeldHandleFailsAfterUnplugAndStaysDeadAfterReplug)
{
    Connection held;
    ASSERT_TRUE(held.call(iocode::GetProductId, {}, 4).ok);
    ASSERT_EQ(simcontrol::unplug(), 0u);
    EXPECT_EQ(held.call(iocode::GetProductId, {}, 4).error, 1167u);
    Connection absent;
    EXPECT_FALSE(absent.isOpen());
    EXPECT_EQ(absent.openError, 259u);

    ASSERT_EQ(simcontrol::plug(), 0u);
    EXPECT_EQ(held.call(iocode::GetProductId, {}, 4).error, 1167u);
    Connection fresh;
    ASSERT_TRUE(fresh.isOpen()) << fresh.openError;
    EXPECT_TRUE(fresh.call(iocode::GetProductId, {}, 4).ok);
    // A replug is a new device: numbering starts again, dead handles journal nothing.
    const std::vector<std::string> lines = journal();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].substr(0, 18), R"({"seq":1,"conn":1,)");
}

TEST_F(Test, ReplugStartsFromPowerOnButKeepsWhatTheDeviceIs)
{
    ASSERT_EQ(simcontrol::setProductId(2), 0u);
    {
        Connection device;
        ASSERT_TRUE(device.call(iocode::StopAudio).ok);
        ASSERT_TRUE(device.call(iocode::SetBufferSize, word(64)).ok);
    }
    ASSERT_EQ(simcontrol::plug(), 0u);
    Connection device;
    EXPECT_EQ(device.call(iocode::GetBufferSize, {}, 4).bytes, word(192));
    EXPECT_EQ(device.call(iocode::GetProductId, {}, 4).bytes, word(2));
    EXPECT_EQ(device.call(iocode::GetUsbStatus, {}, 7).bytes, (Bytes {0x00, 0x02, 0x01, 0, 0, 0, 0}));
}

TEST_F(Test, SeveralHandlesShareOneDevice)
{
    std::array<Connection, 4> handles;
    for (const Connection &handle : handles)
        ASSERT_TRUE(handle.isOpen()) << handle.openError;
    ASSERT_TRUE(handles[0].call(iocode::StopAudio).ok);
    ASSERT_TRUE(handles[1].call(iocode::EnableSlowMode).ok);
    ASSERT_TRUE(handles[2].call(iocode::SetUsbLatency, word(32)).ok);
    EXPECT_EQ(handles[3].call(iocode::GetUsbLatency, {}, 4).bytes, word(32));
    EXPECT_EQ(handles[0].call(iocode::GetUsbStatus, {}, 7).bytes, (Bytes {0x00, 0x02, 0x02, 0, 0, 0, 0}));
    const std::vector<std::string> lines = journal();
    ASSERT_EQ(lines.size(), 5u);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_NE(lines[i].find(",\"conn\":" + std::to_string(i + 1) + ","), std::string::npos) << lines[i];
}

struct Model
{
    const char *name;
    std::uint32_t productId;
};

class ControlProgram : public Test, public ::testing::WithParamInterface<Model>
{};

// korvist-simctl itself, as a developer runs it: plug as a model.
TEST_P(ControlProgram, PlugsTheModelWithItsProductId)
{
    ASSERT_EQ(simcontrol::unplug(), 0u);
    const std::string model = GetParam().name;
    std::wstring commandLine = L"korvist-simctl plug " + std::wstring(model.begin(), model.end());
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    ASSERT_TRUE(CreateProcessW(KORVIST_SIMCTL, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process))
        << GetLastError();
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ASSERT_EQ(exitCode, 0u);
    Connection device;
    EXPECT_EQ(device.call(iocode::GetProductId, {}, 4).bytes, word(GetParam().productId));
}

INSTANTIATE_TEST_SUITE_P(SimDriver, ControlProgram,
                         ::testing::Values(Model {"rk1", 1}, Model {"rk2", 2}, Model {"rs", 15}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
