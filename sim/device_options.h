#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What `korvist-sim device` was asked to be.
struct DeviceOptions
{
    std::string model;
    std::uint32_t productId = 0;
    std::string firmware = "1.0.3";
    std::string journalPath;
    bool unopenable = false;
    bool noFirmware = false;
    bool slowMode = false;
    std::vector<std::uint32_t> failCodes;
    std::uint32_t usbErrors = 0;
    std::uint32_t bufferSize = 192;
    std::uint32_t usbLatency = 24;
};

std::string deviceUsage();

// argv[0] is the subcommand's name. On failure, error tells the user why.
std::optional<DeviceOptions> parseDeviceOptions(int argc, char **argv, std::string &error);
