// GB18030 as the system converts it, sharing nothing with the program's codec: iconv(3)
// where there is one (Debian's glibc), else Windows' code page 54936, which Wine lacks.
// And a schedule read and written through it one code at a time, for the reference reader.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pumpcalc::clitest {

class SystemGb18030 {
 public:
  // Null when the system cannot convert GB18030.
  static std::unique_ptr<SystemGb18030> open();
  virtual ~SystemGb18030() = default;

  // The code point of one code (1, 2 or 4 bytes), none when it is invalid.
  virtual std::optional<char32_t> decode(std::string_view code) = 0;
  // The code of a code point, none when there is none.
  virtual std::optional<std::string> encode(char32_t codePoint) = 0;
};

// `bytes` as UTF-8, read code by code in the way the format's byte ranges mark them out (1,
// 2 or 4 bytes): a code that the system rejects, or bytes that make no code, give 0xFF for
// their first byte, and the reading goes on at the byte after it.
std::string decodeGb18030(std::string_view bytes, SystemGb18030& system);

// `utf8` (valid) in GB18030; a code point without a code becomes '?'.
std::string encodeGb18030(std::string_view utf8, SystemGb18030& system);

}  // namespace pumpcalc::clitest
