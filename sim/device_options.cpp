#include "device_options.h"

#include "core/device_core.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iterator>

std::string deviceUsage()
{
    char example[16];
    std::snprintf(example, sizeof example, "0x%08X", unsigned(KORVIST_IOCTL_WRITE_MIXER));
    return std::string("usage: korvist-sim device --model rk1|rk2|rs [--firmware TEXT] [--pid N] [--journal FILE]\n"
                       "                          [--unopenable] [--fail CODE]... [--no-firmware] [--usb-errors N]\n"
                       "                          [--buffer-size N] [--latency N] [--slow-mode]\n"
                       "  numbers are decimal or 0x-prefixed hex, e.g. --fail ")
           + example
           + "\n"
             "  SIGUSR1 makes the next product-id read fail once (a glitch on the bus)\n";
}

namespace {

struct Flag
{
    const char *name;
    bool DeviceOptions::*member;
};

constexpr Flag kFlags[] = {{"--unopenable", &DeviceOptions::unopenable},
                           {"--no-firmware", &DeviceOptions::noFirmware},
                           {"--slow-mode", &DeviceOptions::slowMode}};

const std::string kValued[] = {"--model",      "--firmware",    "--journal", "--pid",
                               "--usb-errors", "--buffer-size", "--latency", "--fail"};

std::optional<std::uint32_t> parseNumber(const char *text)
{
    const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char *digits = hex ? text + 2 : text;
    const unsigned char first = static_cast<unsigned char>(*digits);
    // strtoull would quietly accept a sign, white space and an empty string.
    if (!(hex ? std::isxdigit(first) : std::isdigit(first)))
        return std::nullopt;
    errno = 0;
    char *end = nullptr;
    const unsigned long long value = std::strtoull(digits, &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || value > 0xFFFFFFFFull)
        return std::nullopt;
    return std::uint32_t(value);
}

// The codes and values the device model knows.
bool accepted(const std::string &option, std::uint32_t number)
{
    if (option == "--fail")
        return kv_is_code(number);
    return option == "--buffer-size" ? kv_is_buffer_size(number) : kv_is_usb_latency(number);
}

} // namespace

std::optional<DeviceOptions> parseDeviceOptions(int argc, char **argv, std::string &error)
{
    DeviceOptions options;
    bool pidGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const auto flag = std::find_if(std::begin(kFlags), std::end(kFlags),
                                       [&](const Flag &f) { return option == f.name; });
        if (flag != std::end(kFlags)) {
            options.*flag->member = true;
            continue;
        }
        const bool known = std::find(std::begin(kValued), std::end(kValued), option) != std::end(kValued);
        if (!known || i + 1 >= argc) {
            error = known ? option + " needs a value" : "unknown argument " + option;
            return std::nullopt;
        }
        const char *value = argv[++i];
        if (option == "--model") {
            options.model = value;
        } else if (option == "--firmware") {
            options.firmware = value;
        } else if (option == "--journal") {
            options.journalPath = value;
        } else if (const std::optional<std::uint32_t> number = parseNumber(value); !number) {
            error = option + ": \"" + value + "\" is not a number";
            return std::nullopt;
        } else if (option == "--pid") {
            options.productId = *number;
            pidGiven = true;
        } else if (option == "--usb-errors") {
            options.usbErrors = *number;
        } else if (!accepted(option, *number)) {
            error = option + ": " + value + " is not a value the device accepts";
            return std::nullopt;
        } else if (option == "--fail") {
            options.failCodes.push_back(*number);
        } else {
            (option == "--buffer-size" ? options.bufferSize : options.usbLatency) = *number;
        }
    }
    kv_config model {};
    if (kv_config_model(&model, options.model.data(), options.model.size())) {
        if (!pidGiven)
            options.productId = model.product_id;
        return options;
    }
    error = options.model.empty() ? "--model is required" : "unknown model " + options.model;
    return std::nullopt;
}
