#include "core/decimal_parse.h"

#include <cstdint>
#include <utility>

#include "core/errors.h"
#include "core/float_unit.h"
#include "core/locale_numbers.h"
#include "core/powers_of_ten.h"
#include "core/string_table.h"

namespace pumpcalc {
namespace {

// The exponent part stops taking digits once its value reaches this; so at most 4999.
constexpr std::int32_t exponentDigitStop = 500;

constexpr bool isDigit(char c) noexcept { return c >= '0' && c <= '9'; }

// The digit values 0 to 9 as ExtendedReal, exactly.
constexpr ExtendedReal digitValue(int d) noexcept {
  if (d == 0) return {};
  const int top = d >= 8 ? 3 : d >= 4 ? 2 : d >= 2 ? 1 : 0;
  return ExtendedReal::fromBits(false, static_cast<std::uint16_t>(extendedExponentBias + top),
                                static_cast<std::uint64_t>(d) << (63 - top));
}
constexpr ExtendedReal digitValues[10] = {
    digitValue(0), digitValue(1), digitValue(2), digitValue(3), digitValue(4),
    digitValue(5), digitValue(6), digitValue(7), digitValue(8), digitValue(9)};

// m ÷ 10^k for 0 < m < 2^63 and 1 <= k <= 31, rounded as FDIV by PowersOfTenLow[k] rounds
// it. The quotient is normal, and only the precision flag could be raised, which the
// conversion discards.
ExtendedReal divideByPowerOfTen(std::uint64_t m, int k, FloatUnitState& unit) noexcept {
  const ExtendedReal numerator = extendedFromUint64(m);
  ExtendedReal quotient;
  if (!PowersOfTenLowDivisors[static_cast<std::size_t>(k)].divide(numerator, quotient, unit)) {
    quotient = numerator / PowersOfTenLow[static_cast<std::size_t>(k)];  // not reached
  }
  return quotient;
}

// The text of most numbers: 1 to 19 digits with at most one separator among them, and not
// zero. Its value is the digits' integer m, exact, divided by 10^(fraction digits): the one
// rounding that convert() makes of it, and no flag that it would leave. False, with nothing
// done, for any other text.
bool convertPlainDecimal(std::string_view text, char separator, ExtendedReal& value,
                         FloatUnitState& unit) noexcept {
  if (text.empty() || text.size() > 19 || separator == '\0') return false;
  std::uint64_t m = 0;
  int fractionDigits = -1;  // -1 before the separator
  for (const char c : text) {
    const unsigned d = static_cast<unsigned char>(c) - unsigned{'0'};
    if (d <= 9) {
      m = m * 10 + d;
      if (fractionDigits >= 0) ++fractionDigits;
    } else if (c == separator && fractionDigits < 0) {
      fractionDigits = 0;
    } else {
      return false;
    }
  }
  // Nineteen digits may pass 2^63, where convert() starts rounding.
  if (m == 0 || (text.size() == 19 && fractionDigits < 0)) return false;
  value = fractionDigits <= 0 ? extendedFromInt64(static_cast<std::int64_t>(m))
                              : divideByPowerOfTen(m, fractionDigits, unit);
  return true;
}

// The exponent part at p, if there is one ("E" or "e", at most one sign, digits), read up to
// its end: its value, whose digits stop at exponentDigitStop.
std::int32_t readExponent(const char*& p, const char* end) noexcept {
  if (p == end || (*p & ~0x20) != 'E') return 0;
  ++p;
  const char sign = p != end ? *p : '\0';
  if (sign == '+' || sign == '-') ++p;
  std::int32_t exponent = 0;
  while (p != end && isDigit(*p) && exponent < exponentDigitStop) {
    exponent = exponent * 10 + (*p++ - '0');
  }
  return sign == '-' ? -exponent : exponent;
}

// Reads the text; the float unit, this thread's, is already under ConversionControlWord.
bool convert(std::string_view text, char separator, ExtendedReal& value,
             FloatUnitState& unit) noexcept {
  const char* p = text.data();
  const char* const end = p + text.size();
  auto skipSpaces = [&] {
    while (p != end && *p == ' ') ++p;
  };
  skipSpaces();
  const char sign = p != end ? *p : '\0';
  if (sign == '+' || sign == '-') ++p;
  const char* const mantissaStart = p;

  // The digits accumulate as acc × 10 + d, each step rounded. While their value stays below
  // 2^63 every step is exact, so an integer gives the same bits at a fraction of the cost.
  ExtendedReal accumulator{};
  std::uint64_t exact = 0;
  bool inInteger = true;
  auto addDigit = [&](int d) {
    if (inInteger && exact <= (0x7FFFFFFFFFFFFFFFull - 9) / 10) {
      exact = exact * 10 + static_cast<std::uint64_t>(d);
      return;
    }
    if (std::exchange(inInteger, false)) {
      accumulator = extendedFromInt64(static_cast<std::int64_t>(exact));
    }
    accumulator = accumulator * PowersOfTenLow[1] + digitValues[d];
  };
  while (p != end && isDigit(*p)) addDigit(*p++ - '0');
  // n is the decimal exponent; fraction digits are counted in 64 bits and n is clamped
  // later, so that no text, however long, can overflow it.
  std::int64_t n = 0;
  if (p != end && *p == separator) {
    for (++p; p != end && isDigit(*p); --n) addDigit(*p++ - '0');
  }
  if (p == mantissaStart) return false;
  n += readExponent(p, end);
  skipSpaces();
  if (p != end) return false;

  // n is at most 4999 (the exponent's digits stop there), but fraction digits can take it
  // as far down as the text is long: it is clamped at -2^20 to fit the scaling's 32 bits.
  // Every n at or below -5120 scales to the same +0, so the clamp changes no result.
  constexpr std::int64_t nLimit = 1 << 20;
  const auto scale = static_cast<std::int32_t>(n < -nLimit ? -nLimit : n);
  if (inInteger && exact != 0 && scale < 0 && scale >= -31) {
    value = divideByPowerOfTen(exact, -scale, unit);
  } else {
    if (inInteger) accumulator = extendedFromInt64(static_cast<std::int64_t>(exact));
    value = scaleByPowerOfTen(accumulator, scale);
  }
  if (sign == '-') value = -value;
  return (unit.flags & (flagOverflow | flagInvalid)) == 0;
}

// convert() under its own control word, and the error, apart from the plain texts' path: never
// inlined into a caller that inlines that path (the batch's rows).
[[gnu::noinline]] bool convertGeneral(std::string_view text, char separator, ExtendedReal& value,
                                      FloatUnitState& unit) noexcept {
  text = text.substr(0, text.find('\0'));
  const std::uint16_t callerControlWord = unit.controlWord;
  unit = {ConversionControlWord, 0};
  const bool converted = convert(text, separator, value, unit);
  // Flags first, so that nothing raised here surfaces under the caller's control word.
  unit = {callerControlWord, 0};
  return converted;
}

[[noreturn, gnu::noinline]] void throwNotANumber(std::string_view text) {
  const std::string format = loadResString(sInvalidFloatingPointValue);
  EConvertError error(format, {text});
  error.unreadText = text;
  error.unreadTextOffset = format.find("%s");  // nothing before the quoted text is formatted
  throw error;
}

}  // namespace

bool tryTextToExtended(std::string_view text, ExtendedReal& value, FloatUnitState& unit) noexcept {
  const char separator = DecimalSeparatorChar;
  if (convertPlainDecimal(text, separator, value, unit)) {
    unit.flags = 0;
    return true;
  }
  return convertGeneral(text, separator, value, unit);
}

ExtendedReal textToExtended(std::string_view text, FloatUnitState& unit) {
  ExtendedReal value;
  if (!tryTextToExtended(text, value, unit)) throwNotANumber(text);
  return value;
}

}  // namespace pumpcalc
