#pragma once

#include <string>
#include <string_view>

// The seam speaks UTF-8; the Win32 calls it makes take UTF-16.
namespace platform::win {

std::wstring toUtf16(std::string_view utf8);
std::string toUtf8(std::wstring_view utf16);

} // namespace platform::win
