#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The simulated driver's control device, one request per call. Each returns
// a Win32 error: 0 when done, 2 when the driver is not running, 87 when it
// refused the value.
namespace simcontrol {

std::uint32_t plug();
std::uint32_t unplug();
std::uint32_t reset();
std::uint32_t setProductId(std::uint32_t productId);
// "rk1", "rk2" or "rs": the model's product id and gain range.
std::uint32_t setModel(const std::string &model);
std::uint32_t setFirmware(const std::string &text);
std::uint32_t setMeters(const std::vector<std::int32_t> &levels);
std::uint32_t setUsbErrors(std::uint32_t count);
// error 0 makes the code answer again.
std::uint32_t failCode(std::uint32_t code, std::uint32_t error);
// A file name in the journal directory fixed at install; empty closes the journal.
std::uint32_t setJournal(const std::string &name);
// The journal directory as a Windows path; empty when the driver was never installed.
std::string journalDirectory();
// Requests of code stay pending until cancelled or until stall(0) answers them;
// answerOnCancel: the cancel answers them as well, successfully.
std::uint32_t stall(std::uint32_t code, bool answerOnCancel = false);

} // namespace simcontrol
