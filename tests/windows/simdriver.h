#pragma once

#include "device.h"
#include "deviceclass.h"
#include "simcontrol_client.h"
#include "testsupport.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>
#include <windows.h>

// The simulated driver of sim/windows, as the tests of the device seam use it.
namespace simdriver {

using Bytes = std::vector<std::uint8_t>;

struct Reply
{
    bool ok = false;
    std::uint32_t error = 0;
    Bytes bytes; // the whole output buffer
};

// One handle to the first Korvist interface, found and opened as the product does.
class Connection
{
public:
    Connection()
    {
        if (const std::optional<std::string> path = platform::findDeviceInterface(deviceclass::kInterfaceClass, openError))
            handle = platform::openDevice(*path, openError);
    }
    ~Connection() { platform::closeDevice(handle); }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    bool isOpen() const { return handle != platform::kInvalidHandle; }

    Reply call(std::uint32_t code, const Bytes &in = {}, std::uint32_t outSize = 0) const
    {
        Reply reply;
        reply.bytes.assign(outSize, 0xAA);
        reply.ok = platform::ioControl(handle, code, in.data(), std::uint32_t(in.size()), reply.bytes.data(),
                                       outSize, reply.error);
        return reply;
    }

    std::uint32_t openError = 0;

private:
    platform::Handle handle = platform::kInvalidHandle;
};

// Each test starts from a freshly plugged default device (an RK1) with a journal of its own.
class Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::uint32_t error = simcontrol::reset();
        if (error == 2 && !std::getenv("KORVIST_SIM_DRIVER"))
            GTEST_SKIP() << "the simulated driver is not installed in this wine prefix "
                            "(scripts/test-windows.sh installs it and sets KORVIST_SIM_DRIVER)";
        ASSERT_EQ(error, 0u) << "the simulated driver does not answer";
        const std::string name = "korvist-journal-" + std::to_string(GetCurrentProcessId()) + ".jsonl";
        journalPath = simcontrol::journalDirectory() + "\\" + name;
        DeleteFileA(journalPath.c_str());
        ASSERT_EQ(simcontrol::setJournal(name), 0u);
        ASSERT_EQ(simcontrol::plug(), 0u);
    }

    void TearDown() override
    {
        simcontrol::reset();
        DeleteFileA(journalPath.c_str());
    }

    std::vector<std::string> journal() const
    {
        std::ifstream file(journalPath, std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);)
            lines.push_back(line);
        return lines;
    }

    std::string journalPath;
};

inline Bytes word(std::uint32_t value)
{
    return {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16), std::uint8_t(value >> 24)};
}

inline Bytes fromHex(const std::string &hex)
{
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(std::uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

inline std::int32_t levelAt(const Bytes &meters, int index)
{
    return std::int32_t(meters[4 * index] | meters[4 * index + 1] << 8 | meters[4 * index + 2] << 16
                        | std::uint32_t(meters[4 * index + 3]) << 24);
}

} // namespace simdriver
