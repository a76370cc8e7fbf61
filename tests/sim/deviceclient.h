#pragma once

#include "commandrequest.h"
#include "device.h"
#include "deviceclass.h"
#include "devicewire_posix.h"
#include "iocontrolcodes.h"
#include "mixerblock.h"

#include <QByteArray>
#include <QtEndian>


// One handle to the first device interface, found and opened through the
// product's own client side, as KorvistIoControl does it.
class DeviceClient
{
public:
    struct Answer
    {
        bool ok = false;           // the seam's result, or for exchange(): a reply arrived
        std::uint32_t status = 0;  // the seam's error, or the reply's status
        QByteArray bytes;          // the caller's whole buffer, or exactly the bytes replied
    };

    DeviceClient()
    {
        const std::optional<std::string> path = platform::findDeviceInterface(interfaceClass(), error);
        if (path)
            handle = platform::openDevice(*path, error);
    }
    ~DeviceClient() { platform::closeDevice(handle); }
    DeviceClient(const DeviceClient &) = delete;
    DeviceClient &operator=(const DeviceClient &) = delete;

    bool isOpen() const { return handle != platform::kInvalidHandle; }
    std::uint32_t openError() const { return error; }
    platform::Handle nativeHandle() const { return handle; }

    static platform::Guid interfaceClass() { return deviceclass::kInterfaceClass; }

    // Through platform::ioControl, which does not tell how many bytes came back.
    Answer call(std::uint32_t code, const QByteArray &in = {}, std::uint32_t outSize = 0)
    {
        Answer answer;
        answer.bytes = QByteArray(qsizetype(outSize), '\0');
        answer.ok = platform::ioControl(handle, code, in.constData(), std::uint32_t(in.size()),
                                        answer.bytes.data(), outSize, answer.status);
        return answer;
    }

    // The same request spoken on the wire directly, to see the reply's exact size.
    Answer exchange(std::uint32_t code, const QByteArray &in = {}, std::uint32_t outSize = 0)
    {
        namespace wire = platform::posix::wire;
        std::uint8_t header[wire::kRequestHeaderSize];
        wire::putU32(header, code);
        wire::putU32(header + 4, std::uint32_t(in.size()));
        wire::putU32(header + 8, outSize);
        std::uint8_t reply[wire::kReplyHeaderSize];
        Answer answer;
        const int fd = int(handle);
        if (!wire::sendAll(fd, header, sizeof header) || !wire::sendAll(fd, in.constData(), std::size_t(in.size()))
            || !wire::receiveAll(fd, reply, sizeof reply)) {
            return answer;
        }
        answer.status = wire::getU32(reply);
        answer.bytes = QByteArray(qsizetype(wire::getU32(reply + 4)), '\0');
        answer.ok = wire::receiveAll(fd, answer.bytes.data(), std::size_t(answer.bytes.size()));
        return answer;
    }

private:
    platform::Handle handle = platform::kInvalidHandle;
    std::uint32_t error = 0;
};

inline QByteArray commandBytes(std::uint8_t target, std::uint8_t selector = 0, int channel = 0, int value = 0)
{
    const CommandRequest request = CommandRequest::make(target, selector, channel, value);
    return QByteArray(reinterpret_cast<const char *>(&request), sizeof request);
}

inline QByteArray word(std::uint32_t value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// A code as the journal and korvist-sim's options write it: "0x" and eight upper-case digits.
inline QByteArray codeText(std::uint32_t code)
{
    return "0x" + QByteArray::number(code, 16).toUpper().rightJustified(8, '0');
}

inline std::uint32_t wordAt(const QByteArray &bytes, int offset = 0)
{
    return qFromLittleEndian<std::uint32_t>(bytes.constData() + offset);
}

inline QByteArray mixerBytes(const MixerBlock &block)
{
    return QByteArray(reinterpret_cast<const char *>(&block), sizeof block);
}

inline QByteArray baseMixerBytes()
{
    MixerBlock block;
    applyBaseRouting(block);
    return mixerBytes(block);
}
