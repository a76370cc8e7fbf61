#include "simcontrol_client.h"
#include "simctl_install.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>
#include <windows.h>

namespace {

const char *const kUsage =
    "usage: korvist-simctl COMMAND [ARGUMENT]...\n"
    "  install INF [DIR]    register the simulated device, install korvist-sim.sys from INF's directory;\n"
    "                       its journal is written in DIR only (default C:\\korvist-sim)\n"
    "  remove               remove the device\n"
    "  plug [rk1|rk2|rs]    the device appears (as that model: its product id), freshly powered on\n"
    "  unplug               the device disappears; held handles fail with 1167\n"
    "  reset                unplugged, an RK1 with firmware \"1.0.3\", nothing failing, journal closed\n"
    "  pid N                the product id\n"
    "  firmware TEXT        the firmware query's reply (up to 32 bytes)\n"
    "  meters LEVEL...      base meter levels from index 0 (up to 192; the rest 0)\n"
    "  usb-errors N         the USB error counter\n"
    "  fail CODE ERROR      answer CODE with the Win32 ERROR (1, 5, 21, 31, 87, 122, 170, 1117, 1167; 0 heals)\n"
    "  journal NAME|-       append one JSON line per request to the file NAME in the journal directory; - stops\n"
    "  stall CODE|off       hold requests of CODE pending until cancelled; off answers the held ones\n"
    "  stall CODE finish-on-cancel\n"
    "                       the same, but a cancel answers them too, successfully\n"
    "  numbers are decimal or 0x-prefixed hex; a level may be negative\n";

const char *const kJournalDirectory = "C:\\korvist-sim";

std::optional<long long> parseNumber(const std::string &text, long long low, long long high)
{
    const bool negative = !text.empty() && text[0] == '-';
    const std::string digits = negative ? text.substr(1) : text;
    const bool hex = digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    if (digits.empty() || (!hex && (digits[0] < '0' || digits[0] > '9')))
        return std::nullopt;
    errno = 0;
    char *end = nullptr;
    const long long magnitude = std::strtoll(digits.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
    const long long value = negative ? -magnitude : magnitude;
    if (errno != 0 || *end != '\0' || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<std::uint32_t> parseWord(const std::string &text)
{
    const std::optional<long long> value = parseNumber(text, 0, 0xFFFFFFFFll);
    return value ? std::optional<std::uint32_t>(std::uint32_t(*value)) : std::nullopt;
}

struct Command
{
    const char *name;
    std::size_t leastArguments;
    std::size_t mostArguments;
    // nullopt: the arguments do not parse.
    std::function<std::optional<std::uint32_t>(const std::vector<std::string> &)> run;
};

std::optional<std::uint32_t> plugAs(const std::vector<std::string> &arguments)
{
    if (arguments.empty())
        return simcontrol::plug();
    const std::uint32_t error = simcontrol::setModel(arguments[0]);
    if (error == ERROR_INVALID_PARAMETER)
        return std::nullopt;
    return error ? error : simcontrol::plug();
}

std::optional<std::uint32_t> stall(const std::vector<std::string> &arguments)
{
    const bool finish = arguments.size() > 1;
    if (finish && arguments[1] != "finish-on-cancel")
        return std::nullopt;
    if (arguments[0] == "off")
        return finish ? std::nullopt : std::optional(simcontrol::stall(0));
    const std::optional<std::uint32_t> code = parseWord(arguments[0]);
    return code && *code ? std::optional(simcontrol::stall(*code, finish)) : std::nullopt;
}

std::optional<std::uint32_t> meters(const std::vector<std::string> &arguments)
{
    std::vector<std::int32_t> levels;
    for (const std::string &argument : arguments) {
        const std::optional<long long> level = parseNumber(argument, -2147483648ll, 2147483647ll);
        if (!level)
            return std::nullopt;
        levels.push_back(std::int32_t(*level));
    }
    return simcontrol::setMeters(levels);
}

std::optional<std::uint32_t> withWord(const std::string &text, std::uint32_t (*set)(std::uint32_t))
{
    const std::optional<std::uint32_t> value = parseWord(text);
    return value ? std::optional<std::uint32_t>(set(*value)) : std::nullopt;
}

const std::vector<Command> &commands()
{
    using Arguments = std::vector<std::string>;
    static const std::vector<Command> kCommands = {
        {"install", 1, 2,
         [](const Arguments &a) { return std::optional(simctl::install(a[0], a.size() > 1 ? a[1] : kJournalDirectory)); }},
        {"remove", 0, 0, [](const Arguments &) { return std::optional(simctl::remove()); }},
        {"plug", 0, 1, plugAs},
        {"unplug", 0, 0, [](const Arguments &) { return std::optional(simcontrol::unplug()); }},
        {"reset", 0, 0, [](const Arguments &) { return std::optional(simcontrol::reset()); }},
        {"pid", 1, 1, [](const Arguments &a) { return withWord(a[0], simcontrol::setProductId); }},
        {"firmware", 1, 1, [](const Arguments &a) { return std::optional(simcontrol::setFirmware(a[0])); }},
        {"meters", 1, 192, meters},
        {"usb-errors", 1, 1, [](const Arguments &a) { return withWord(a[0], simcontrol::setUsbErrors); }},
        {"fail", 2, 2,
         [](const Arguments &a) -> std::optional<std::uint32_t> {
             const std::optional<std::uint32_t> code = parseWord(a[0]);
             const std::optional<std::uint32_t> error = parseWord(a[1]);
             if (!code || !error)
                 return std::nullopt;
             return simcontrol::failCode(*code, *error);
         }},
        {"journal", 1, 1,
         [](const Arguments &a) { return std::optional(simcontrol::setJournal(a[0] == "-" ? "" : a[0])); }},
        {"stall", 1, 2, stall},
    };
    return kCommands;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> arguments(argv + (argc > 1 ? 2 : argc), argv + argc);
    for (const Command &command : commands()) {
        if (argc < 2 || command.name != std::string(argv[1]))
            continue;
        const std::optional<std::uint32_t> error =
            arguments.size() >= command.leastArguments && arguments.size() <= command.mostArguments
                ? command.run(arguments)
                : std::nullopt;
        if (!error) {
            std::fprintf(stderr, "korvist-simctl %s: bad arguments\n%s", argv[1], kUsage);
            return 2;
        }
        if (*error != 0) {
            std::fprintf(stderr, "korvist-simctl %s: failed with Win32 error %u\n", argv[1], unsigned(*error));
            return 1;
        }
        return 0;
    }
    std::fputs(kUsage, stderr);
    return 2;
}
