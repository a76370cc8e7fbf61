#include "pipe_main.h"

#include "bytes_text.h"
#include "pipe_serve.h"

#include <cstdio>
#include <cstring>

int audioServiceMain(int argc, char **argv)
{
    const bool busy = argc == 2 && std::strcmp(argv[1], "--busy") == 0;
    if (argc > 2 || (argc == 2 && !busy)) {
        std::fprintf(stderr, "usage: korvist-sim audio-service [--busy]\n");
        return 2;
    }
    if (busy)
        return serveBusy("audio-service", "KorvistAudioControlPipe");
    return servePipe("audio-service", "KorvistAudioControlPipe",
                     [](const std::vector<std::uint8_t> &message) { return '"' + describeUtf16(message) + '"'; });
}

int asioDriverMain(int argc, char **)
{
    if (argc != 1) {
        std::fprintf(stderr, "usage: korvist-sim asio-driver\n");
        return 2;
    }
    return servePipe("asio-driver", "KorvistPannelToASIO", toHex);
}
