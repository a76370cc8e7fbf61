#pragma once

#include "commandrequest.h"
#include "meterblock.h"
#include "mixerblock.h"
#include "usbstatus.h"

#include <device.h>

#include <cstdint>
#include <vector>

// One open handle to the audio interface's kernel driver and one synchronous
// operation per driver request. Every user holds an instance of its own.
class KorvistIoControl
{
public:
    KorvistIoControl();
    ~KorvistIoControl();
    KorvistIoControl(const KorvistIoControl &) = delete;
    KorvistIoControl &operator=(const KorvistIoControl &) = delete;

    // Finds the first interface of the driver's class and opens it. False when
    // there is none or it cannot be opened; the handle then stays invalid.
    bool open();

    bool writeMixer(const MixerBlock &mixer);
    bool setBufferSize(std::uint32_t samples);
    bool getBufferSize(std::uint32_t &samples);
    bool getUsbLatency(std::uint32_t &frames);
    bool setUsbLatency(std::uint32_t frames);
    bool readMeters(MeterBlock &meters);
    bool stopAudio();
    bool startAudio();
    bool getProductId(std::uint32_t &pid);
    bool enableSlowMode();
    bool disableSlowMode();

    bool setMicInstrument(int channel, int on);
    bool setMic20dB(int channel, int on);
    bool setMic48V(int channel, int on);
    bool setMicVolume(int channel, int value);
    bool setOutVolume(int channel, int value);
    bool upgradeFirmware();

    // The response is resized to exactly 32 bytes whatever the driver returns.
    bool queryCommand(const CommandRequest &request, std::vector<std::uint8_t> &response);
    // Copies up to min(length, 10) bytes of the firmware version into out.
    bool getFirmwareVersion(std::uint8_t *out, std::uint32_t length);
    // Hands over the last reply even when the request fails.
    bool getUsbStatus(UsbStatus &status);

    // A request that timed out closed the connection, and every later one
    // fails at once: a stalled driver holds the caller once, not at every
    // request. Only a new open (the next detection) tries again.
    bool timedOut() const { return stalled; }

    // How many requests on this connection have failed so far: a caller that
    // reports on a change (a script's command) tells by it whether the device took it.
    std::uint64_t failedRequests() const { return failures; }

private:
    bool readWord(std::uint32_t code, std::uint32_t &value);
    bool request(std::uint32_t code, const void *in, std::uint32_t inSize, void *out, std::uint32_t outSize);
    bool sendCommand(const CommandRequest &request, const char *failureText);

    platform::Handle handle = platform::kInvalidHandle;
    std::uint8_t statusBuffer[UsbStatus::kWireSize] = {};
    std::uint64_t failures = 0;
    bool stalled = false;
};
