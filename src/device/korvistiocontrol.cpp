#include "korvistiocontrol.h"

#include "deviceclass.h"
#include "iocontrolcodes.h"

#include <win32errors.h>

#include <QDebug>

#include <exception>
#include <iostream>

namespace {

constexpr std::uint32_t kQueryReplySize = 32;
constexpr std::uint32_t kFirmwareVersionSize = 10;

} // namespace

KorvistIoControl::KorvistIoControl() = default;

KorvistIoControl::~KorvistIoControl()
{
    if (handle != platform::kInvalidHandle) {
        platform::closeDevice(handle);
        handle = platform::kInvalidHandle;
    }
}

bool KorvistIoControl::open()
{
    std::uint32_t error = 0;
    const std::optional<std::string> path = platform::findDeviceInterface(deviceclass::kInterfaceClass, error);
    if (!path)
        return false;
    handle = platform::openDevice(*path, error);
    return handle != platform::kInvalidHandle;
}

bool KorvistIoControl::request(std::uint32_t code, const void *in, std::uint32_t inSize, void *out,
                               std::uint32_t outSize)
{
    std::uint32_t error = 0;
    if (handle != platform::kInvalidHandle && platform::ioControl(handle, code, in, inSize, out, outSize, error))
        return true;
    ++failures;
    if (error == platform::kErrorSemTimeout) {
        platform::closeDevice(handle);
        handle = platform::kInvalidHandle;
        stalled = true;
    }
    return false;
}

bool KorvistIoControl::writeMixer(const MixerBlock &mixer)
{
    return request(iocode::WriteMixer, &mixer, sizeof mixer, nullptr, 0);
}

bool KorvistIoControl::setBufferSize(std::uint32_t samples)
{
    return request(iocode::SetBufferSize, &samples, sizeof samples, nullptr, 0);
}

bool KorvistIoControl::readWord(std::uint32_t code, std::uint32_t &value)
{
    // Read into a local first: a failed request leaves the caller's value alone.
    std::uint32_t reply = 0;
    if (!request(code, nullptr, 0, &reply, sizeof reply))
        return false;
    value = reply;
    return true;
}

bool KorvistIoControl::getBufferSize(std::uint32_t &samples)
{
    if (!readWord(iocode::GetBufferSize, samples))
        return false;
    qDebug() << "Buffer size:" << samples;
    return true;
}

bool KorvistIoControl::getUsbLatency(std::uint32_t &frames)
{
    return readWord(iocode::GetUsbLatency, frames);
}

bool KorvistIoControl::setUsbLatency(std::uint32_t frames)
{
    return request(iocode::SetUsbLatency, &frames, sizeof frames, nullptr, 0);
}

bool KorvistIoControl::readMeters(MeterBlock &meters)
{
    return request(iocode::ReadMeters, nullptr, 0, &meters, sizeof meters);
}

bool KorvistIoControl::stopAudio()
{
    return request(iocode::StopAudio, nullptr, 0, nullptr, 0);
}

bool KorvistIoControl::startAudio()
{
    return request(iocode::StartAudio, nullptr, 0, nullptr, 0);
}

bool KorvistIoControl::getProductId(std::uint32_t &pid)
{
    return readWord(iocode::GetProductId, pid);
}

bool KorvistIoControl::enableSlowMode()
{
    return request(iocode::EnableSlowMode, nullptr, 0, nullptr, 0);
}

bool KorvistIoControl::disableSlowMode()
{
    return request(iocode::DisableSlowMode, nullptr, 0, nullptr, 0);
}

bool KorvistIoControl::sendCommand(const CommandRequest &command, const char *failureText)
{
    try {
        return request(iocode::Command, &command, sizeof command, nullptr, 0);
    } catch (const std::exception &e) {
        std::cerr << failureText << e.what() << std::endl;
    } catch (...) {
        std::cerr << failureText << "Unknown error" << std::endl;
    }
    return false;
}

bool KorvistIoControl::setMicInstrument(int channel, int on)
{
    return sendCommand(CommandRequest::make(commandtarget::MicInstrument, std::uint8_t(on), channel),
                       "Failed to switch mic instruction: ");
}

bool KorvistIoControl::setMic20dB(int channel, int on)
{
    return sendCommand(CommandRequest::make(commandtarget::Mic20dB, std::uint8_t(on), channel),
                       "Failed to set mic 20dB: ");
}

bool KorvistIoControl::setMic48V(int channel, int on)
{
    return sendCommand(CommandRequest::make(commandtarget::Mic48V, std::uint8_t(on), channel),
                       "Failed to set mic 48V: ");
}

bool KorvistIoControl::setMicVolume(int channel, int value)
{
    return sendCommand(CommandRequest::make(commandtarget::MicVolume, kVolumeSelector, channel, value),
                       "Failed to set mic volume: ");
}

bool KorvistIoControl::setOutVolume(int channel, int value)
{
    return sendCommand(CommandRequest::make(commandtarget::OutVolume, kVolumeSelector, channel, value),
                       "Failed to set out volume: ");
}

bool KorvistIoControl::upgradeFirmware()
{
    return sendCommand(CommandRequest::make(commandtarget::UpgradeFirmware), "Failed to upgrade firmware: ");
}

bool KorvistIoControl::queryCommand(const CommandRequest &query, std::vector<std::uint8_t> &response)
{
    if (handle == platform::kInvalidHandle)
        return false;
    response.resize(kQueryReplySize, 0);
    return request(iocode::QueryCommand, &query, sizeof query, response.data(), kQueryReplySize);
}

bool KorvistIoControl::getFirmwareVersion(std::uint8_t *out, std::uint32_t length)
{
    try {
        std::vector<std::uint8_t> reply;
        if (!queryCommand(CommandRequest::make(commandtarget::FirmwareVersion), reply)) {
            std::cerr << "Failed to read firmware version from device." << std::endl;
            return false;
        }
        if (reply.size() < kFirmwareVersionSize) {
            std::cerr << "Invalid firmware version response size." << std::endl;
            return false;
        }
        for (std::uint32_t i = 0; i < length && i < kFirmwareVersionSize; ++i)
            out[i] = reply[i];
        return true;
    } catch (const std::exception &e) {
        std::cerr << "Failed to get firmware version: " << e.what() << std::endl;
    } catch (...) {
        std::cerr << "Failed to get firmware version: Unknown error" << std::endl;
    }
    return false;
}

bool KorvistIoControl::getUsbStatus(UsbStatus &status)
{
    if (handle == platform::kInvalidHandle)
        return false;
    const bool ok = request(iocode::GetUsbStatus, nullptr, 0, statusBuffer, sizeof statusBuffer);
    status = UsbStatus::fromWire(statusBuffer);
    return ok;
}
