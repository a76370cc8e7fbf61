#include "device_main.h"

#include "console.h"
#include "device_glitch.h"
#include "device_interface.h"
#include "device_journal.h"
#include "device_core_host.h"
#include "device_options.h"
#include "device_server.h"
#include "device_shutdown.h"

#include <cstdio>
#include <memory>

int deviceMain(int argc, char **argv)
{
    std::string error;
    const std::optional<DeviceOptions> options = parseDeviceOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "korvist-sim device: %s\n%s", error.c_str(), deviceUsage().c_str());
        return 2;
    }
    Journal journal;
    if (!options->journalPath.empty() && !journal.open(options->journalPath)) {
        std::perror(options->journalPath.c_str());
        return 1;
    }
    // Installed before the interface exists, so an unplug that comes at once is not lost.
    const ShutdownSignals signals;
    installGlitchSignal();
    DeviceInterface interface(options->model, !options->unopenable);
    if (!interface.isValid()) {
        std::fprintf(stderr, "korvist-sim device: %s\n", interface.errorText().c_str());
        return 1;
    }
    const auto model = std::make_unique<CoreDevice>(*options);
    say("%s plugged in: product id %u, firmware \"%s\"%s", options->model.c_str(), unsigned(options->productId),
        options->firmware.c_str(), options->unopenable ? ", refusing every open" : "");
    say("ready %s", interface.path().c_str());
    DeviceServer server(interface.listeningSocket(), *model, journal);
    server.run(signals);
    // Gone from discovery before any handle notices, as with a real unplug.
    interface.withdraw();
    server.closeAll();
    say("%s unplugged", options->model.c_str());
    return 0;
}
