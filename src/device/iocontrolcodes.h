#pragma once

#include <cstdint>

// The kernel driver's buffered I/O control codes: device type 0xFFDC,
// METHOD_BUFFERED, FILE_ANY_ACCESS, function numbers 0x810 to 0x830.
namespace iocode {

constexpr std::uint32_t make(std::uint32_t function)
{
    return (0xFFDCu << 16) | (function << 2);
}

inline constexpr std::uint32_t WriteMixer = make(0x810);       // 0xFFDC2040
inline constexpr std::uint32_t SetBufferSize = make(0x811);    // 0xFFDC2044
inline constexpr std::uint32_t GetBufferSize = make(0x812);    // 0xFFDC2048
inline constexpr std::uint32_t GetUsbLatency = make(0x813);    // 0xFFDC204C
inline constexpr std::uint32_t SetUsbLatency = make(0x814);    // 0xFFDC2050
inline constexpr std::uint32_t ReadMeters = make(0x81D);       // 0xFFDC2074
inline constexpr std::uint32_t StopAudio = make(0x81E);        // 0xFFDC2078
inline constexpr std::uint32_t StartAudio = make(0x820);       // 0xFFDC2080
inline constexpr std::uint32_t GetProductId = make(0x821);     // 0xFFDC2084
inline constexpr std::uint32_t EnableSlowMode = make(0x824);   // 0xFFDC2090
inline constexpr std::uint32_t DisableSlowMode = make(0x825);  // 0xFFDC2094
inline constexpr std::uint32_t Command = make(0x827);          // 0xFFDC209C
inline constexpr std::uint32_t QueryCommand = make(0x828);     // 0xFFDC20A0
inline constexpr std::uint32_t GetUsbStatus = make(0x830);     // 0xFFDC20C0

static_assert(WriteMixer == 0xFFDC2040u && Command == 0xFFDC209Cu && GetUsbStatus == 0xFFDC20C0u);

inline constexpr std::uint32_t kAll[] = {WriteMixer,   SetBufferSize, GetBufferSize, GetUsbLatency,
                                         SetUsbLatency, ReadMeters,   StopAudio,     StartAudio,
                                         GetProductId, EnableSlowMode, DisableSlowMode, Command,
                                         QueryCommand, GetUsbStatus};

} // namespace iocode
