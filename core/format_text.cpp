#include "core/format_text.h"

namespace pumpcalc {
namespace {

void appendHex(std::string& out, std::uint64_t value, int minDigits) {
  char digits[16];
  int count = 0;
  do {
    digits[count++] = "0123456789ABCDEF"[value & 0xF];
    value >>= 4;
  } while (value != 0);
  for (int i = count; i < minDigits; ++i) out.push_back('0');
  while (count > 0) out.push_back(digits[--count]);
}

void appendDecimal(std::string& out, bool negative, std::uint64_t magnitude) {
  if (negative) out.push_back('-');
  char digits[20];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  while (count > 0) out.push_back(digits[--count]);
}

// Writes one argument for the directive; false when the argument does not fit it.
bool appendArgument(std::string& out, char directive, const FormatArg& arg) {
  using Kind = FormatArg::Kind;
  switch (directive) {
    case 's':
      if (arg.kind() != Kind::text) return false;
      out.append(arg.text());
      return true;
    case 'd':
      if (arg.kind() == Kind::signedInteger) {
        const std::int64_t value = arg.signedValue();
        const auto magnitude = static_cast<std::uint64_t>(value);
        appendDecimal(out, value < 0, value < 0 ? 0 - magnitude : magnitude);
      } else if (arg.kind() == Kind::unsignedInteger) {
        appendDecimal(out, false, arg.unsignedValue());
      } else {
        return false;
      }
      return true;
    case 'x':
      if (arg.kind() == Kind::text) return false;
      appendHex(out,
                arg.kind() == Kind::signedInteger ? static_cast<std::uint32_t>(arg.signedValue())
                                                  : arg.unsignedValue(),
                1);
      return true;
    case 'p':
      if (arg.kind() == Kind::text) return false;
      appendHex(out, arg.unsignedValue(), 8);
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string formatText(std::string_view format, std::initializer_list<FormatArg> args) {
  std::string out;
  out.reserve(format.size() + 32);
  const FormatArg* next = args.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c != '%' || i + 1 == format.size()) {
      out.push_back(c);
      continue;
    }
    const char directive = format[i + 1];
    if (directive == '%') {
      out.push_back('%');
      ++i;
    } else if (next != args.end() && appendArgument(out, directive, *next)) {
      ++next;
      ++i;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace pumpcalc
