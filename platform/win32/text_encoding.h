// UTF-8 inside the program, UTF-16 at the Windows API.
#pragma once

#include <string>
#include <string_view>

namespace pumpcalc::platform {

// Invalid sequences become U+FFFD.
std::string toUtf8(std::wstring_view text);
std::wstring toUtf16(std::string_view text);

}  // namespace pumpcalc::platform
