#pragma once

#include "devicefacts.h"

#include <cstdint>
#include <iterator>

// The kernel driver's buffered I/O control codes, typed for C++.
namespace iocode {

inline constexpr std::uint32_t WriteMixer = KORVIST_IOCTL_WRITE_MIXER;
inline constexpr std::uint32_t SetBufferSize = KORVIST_IOCTL_SET_BUFFER_SIZE;
inline constexpr std::uint32_t GetBufferSize = KORVIST_IOCTL_GET_BUFFER_SIZE;
inline constexpr std::uint32_t GetUsbLatency = KORVIST_IOCTL_GET_USB_LATENCY;
inline constexpr std::uint32_t SetUsbLatency = KORVIST_IOCTL_SET_USB_LATENCY;
inline constexpr std::uint32_t ReadMeters = KORVIST_IOCTL_READ_METERS;
inline constexpr std::uint32_t StopAudio = KORVIST_IOCTL_STOP_AUDIO;
inline constexpr std::uint32_t StartAudio = KORVIST_IOCTL_START_AUDIO;
inline constexpr std::uint32_t GetProductId = KORVIST_IOCTL_GET_PRODUCT_ID;
inline constexpr std::uint32_t EnableSlowMode = KORVIST_IOCTL_ENABLE_SLOW_MODE;
inline constexpr std::uint32_t DisableSlowMode = KORVIST_IOCTL_DISABLE_SLOW_MODE;
inline constexpr std::uint32_t Command = KORVIST_IOCTL_COMMAND;
inline constexpr std::uint32_t QueryCommand = KORVIST_IOCTL_QUERY_COMMAND;
inline constexpr std::uint32_t GetUsbStatus = KORVIST_IOCTL_GET_USB_STATUS;

inline constexpr std::uint32_t kAll[] = {WriteMixer,   SetBufferSize, GetBufferSize, GetUsbLatency,
                                         SetUsbLatency, ReadMeters,   StopAudio,     StartAudio,
                                         GetProductId, EnableSlowMode, DisableSlowMode, Command,
                                         QueryCommand, GetUsbStatus};
static_assert(std::size(kAll) == KORVIST_IOCTL_COUNT);

} // namespace iocode
