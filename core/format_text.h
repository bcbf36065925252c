// printf-like filling of the program's message templates.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace pumpcalc {

// One argument of formatText: text, a signed or unsigned integer, or an address.
class FormatArg {
 public:
  enum class Kind { text, signedInteger, unsignedInteger, address };

  FormatArg(std::string_view text) : kind_(Kind::text), text_(text) {}
  FormatArg(const char* text) : kind_(Kind::text), text_(text) {}
  FormatArg(const std::string& text) : kind_(Kind::text), text_(text) {}
  FormatArg(int value) : kind_(Kind::signedInteger), signed_(value) {}
  FormatArg(long value) : kind_(Kind::signedInteger), signed_(value) {}
  FormatArg(long long value) : kind_(Kind::signedInteger), signed_(value) {}
  FormatArg(unsigned value) : kind_(Kind::unsignedInteger), unsigned_(value) {}
  FormatArg(unsigned long value) : kind_(Kind::unsignedInteger), unsigned_(value) {}
  FormatArg(unsigned long long value) : kind_(Kind::unsignedInteger), unsigned_(value) {}
  FormatArg(const void* address)
      : kind_(Kind::address), unsigned_(reinterpret_cast<std::uintptr_t>(address)) {}

  static FormatArg address(std::uintptr_t value) { return FormatArg(Kind::address, value); }

  Kind kind() const { return kind_; }
  std::string_view text() const { return text_; }
  std::int64_t signedValue() const { return signed_; }
  std::uint64_t unsignedValue() const { return unsigned_; }

 private:
  FormatArg(Kind kind, std::uint64_t value) : kind_(kind), unsigned_(value) {}

  Kind kind_;
  std::string_view text_;
  std::int64_t signed_ = 0;
  std::uint64_t unsigned_ = 0;
};

// Fills `format` with `args` in order: %s text, %d decimal, %x uppercase hexadecimal
// without leading zeros, %p an address as uppercase hexadecimal of at least 8 digits,
// %% a percent sign. A directive without a matching argument, or of the wrong kind, is
// written as it stands, so a bad template can never read past its arguments.
std::string formatText(std::string_view format, std::initializer_list<FormatArg> args);

}  // namespace pumpcalc
