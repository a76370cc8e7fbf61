#include "device_main.h"
#include "pipe_main.h"
#include "runtimedir.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct Subcommand
{
    const char *name;
    int (*run)(int argc, char **argv);
    const char *synopsis;
};

constexpr Subcommand kSubcommands[] = {
    {"device", deviceMain, "device --model rk1|rk2|rs [options]   the kernel driver and the USB device"},
    {"audio-service", audioServiceMain, "audio-service [--busy]                 serves KorvistAudioControlPipe"},
    {"asio-driver", asioDriverMain, "asio-driver                            serves KorvistPannelToASIO"},
    {"asio-notify", asioNotifyMain,
     "asio-notify --buffer-size N [--open-window] | --raw HEX   one notice to KorvistASIOToPannel"},
};

void printUsage(std::FILE *out, const char *program)
{
    std::fprintf(out, "usage: %s <subcommand> [options]\nsubcommands:\n", program);
    for (const Subcommand &subcommand : kSubcommands)
        std::fprintf(out, "  %s\n", subcommand.synopsis);
}

int usage(const char *program)
{
    printUsage(stderr, program);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return usage(argv[0]);
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        printUsage(stdout, argv[0]);
        return 0;
    }
    // Every subcommand meets the product at an endpoint in this place.
    if (std::string problem; !platform::checkEndpointDir(problem)) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 1;
    }
    for (const Subcommand &subcommand : kSubcommands) {
        // The subcommand sees its own name in argv[0], as a program would.
        if (std::strcmp(argv[1], subcommand.name) == 0)
            return subcommand.run(argc - 1, argv + 1);
    }
    std::fprintf(stderr, "%s: unknown subcommand \"%s\"\n", argv[0], argv[1]);
    return usage(argv[0]);
}
