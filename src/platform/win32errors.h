#pragma once

#include "devicefacts.h"

#include <cstdint>

// The layers above the platform seam speak Win32 error numbers on every system,
// so their decisions and log lines do not depend on where they run.
namespace platform {

inline constexpr std::uint32_t kErrorSuccess = KORVIST_ERROR_SUCCESS;
inline constexpr std::uint32_t kErrorInvalidFunction = KORVIST_ERROR_INVALID_FUNCTION;
inline constexpr std::uint32_t kErrorFileNotFound = KORVIST_ERROR_FILE_NOT_FOUND;
inline constexpr std::uint32_t kErrorTooManyOpenFiles = KORVIST_ERROR_TOO_MANY_OPEN_FILES;
inline constexpr std::uint32_t kErrorAccessDenied = KORVIST_ERROR_ACCESS_DENIED;
inline constexpr std::uint32_t kErrorInvalidHandle = KORVIST_ERROR_INVALID_HANDLE;
inline constexpr std::uint32_t kErrorGenFailure = KORVIST_ERROR_GEN_FAILURE;
inline constexpr std::uint32_t kErrorSemTimeout = KORVIST_ERROR_SEM_TIMEOUT;
inline constexpr std::uint32_t kErrorPipeBusy = KORVIST_ERROR_PIPE_BUSY;
inline constexpr std::uint32_t kErrorMoreData = KORVIST_ERROR_MORE_DATA;
inline constexpr std::uint32_t kErrorNoData = KORVIST_ERROR_NO_DATA;
inline constexpr std::uint32_t kErrorNoMoreItems = KORVIST_ERROR_NO_MORE_ITEMS;
inline constexpr std::uint32_t kErrorPipeConnected = KORVIST_ERROR_PIPE_CONNECTED;
inline constexpr std::uint32_t kErrorDeviceNotConnected = KORVIST_ERROR_DEVICE_NOT_CONNECTED;
inline constexpr std::uint32_t kErrorOperationAborted = KORVIST_ERROR_OPERATION_ABORTED;

} // namespace platform
