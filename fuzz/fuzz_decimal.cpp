// Fuzz target for the decimal conversions and the pump formula.
//
// Input layout:
//   byte 0     the decimal separator for this input (any byte)
//   byte 1     precision for formatGeneral, as (byte - '0'): '?' is 15, 'B' is 18; bytes below
//              '2' or above 'B' test the clamping
//   byte 2     exponentDigits for formatGeneral, as (byte - '0'): '0' to '4' are in range
//   the rest   the text: parsed whole; its first 10 bytes, when there are 10, are also taken
//              as a raw ExtendedReal bit pattern; split at its first two tabs (or else in
//              thirds) it is the flow, head and efficiency of one pump calculation
//
// Any failed check aborts, which libFuzzer and the replay main both report as a crash.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "core/decimal_format.h"
#include "core/decimal_parse.h"
#include "core/error_mapping.h"
#include "core/errors.h"
#include "core/extended_real.h"
#include "core/float_unit.h"
#include "core/locale_numbers.h"
#include "core/pump_power.h"

namespace {

using pumpcalc::ExtendedReal;

[[noreturn]] void fail(const char* what, std::string_view detail) {
  std::fprintf(stderr, "fuzz_decimal: %s: \"%.*s\"\n", what, static_cast<int>(detail.size()),
               detail.data());
  std::abort();
}

bool isFinite(ExtendedReal value) {
  return value.biasedExponent() != pumpcalc::extendedMaxExponent;
}

// A separator that the grammar can tell apart from everything else in a number, so that a
// written text can be read back.
bool isDistinctSeparator(char c) {
  return c != '\0' && c != ' ' && c != '+' && c != '-' && (c & ~0x20) != 'E' &&
         !(c >= '0' && c <= '9');
}

// What formatGeneral may write: at most 26 characters, "INF", "-INF" and "NAN" for the
// non-finite values, otherwise only digits, "-", "E" and the separator.
void checkText(std::string_view text, bool finite, char separator) {
  if (text.empty() || text.size() > 26) fail("written count out of range", text);
  if (!finite) {
    if (text != "INF" && text != "-INF" && text != "NAN") fail("non-finite text", text);
    return;
  }
  for (char c : text) {
    if (!(c >= '0' && c <= '9') && c != '-' && c != 'E' && c != separator) {
      fail("unexpected character", text);
    }
  }
}

void checkFormatted(ExtendedReal value, std::string_view text, char separator) {
  checkText(text, isFinite(value), separator);
}

std::string format(ExtendedReal value, int precision, int exponentDigits) {
  char buffer[pumpcalc::formatBufferSize];
  return std::string(buffer, pumpcalc::formatGeneral(value, precision, exponentDigits, buffer));
}

// Writes `value` with the input's precision and at 18 digits, checks both texts, and for a
// finite value reads the 18-digit text back.
void checkWritten(ExtendedReal value, int precision, int exponentDigits, char separator) {
  checkFormatted(value, format(value, precision, exponentDigits), separator);
  const std::string full = format(value, 18, exponentDigits);
  checkFormatted(value, full, separator);
  if (!isFinite(value) || !isDistinctSeparator(separator)) return;
  ExtendedReal back;
  if (!pumpcalc::tryTextToExtended(full, back)) fail("18-digit text does not read back", full);
}

// The parsed value against the C library's correctly rounded long double, where both are
// normal numbers well inside the range. The parser rounds after every digit and once or
// three times more while scaling, so it may be off by about two units in the last place per
// digit; anything further is a wrong digit or exponent.
void checkAgainstStrtold(std::string_view text, char separator, ExtendedReal value) {
  if constexpr (std::numeric_limits<long double>::digits == 64) {
    const std::uint16_t exponent = value.biasedExponent();
    if (exponent < 64 || exponent > pumpcalc::extendedMaxExponent - 64) return;
    if (!isDistinctSeparator(separator)) return;

    std::string copy(text.substr(0, text.find('\0')));
    std::size_t digits = 0;
    for (char& c : copy) {
      if (c == separator) c = '.';
      if (c >= '0' && c <= '9') ++digits;
    }
    const long double expected = std::strtold(copy.c_str(), nullptr);
    long double actual = 0;
    unsigned char bytes[sizeof(long double)] = {};
    std::memcpy(bytes, &value.significand, sizeof value.significand);
    std::memcpy(bytes + sizeof value.significand, &value.signExponent, sizeof value.signExponent);
    std::memcpy(&actual, bytes, sizeof actual);

    const long double tolerance = static_cast<long double>(digits + 8) * 0x1p-60L;
    const long double difference = actual > expected ? actual - expected : expected - actual;
    const long double magnitude = expected < 0 ? -expected : expected;
    if (!(difference <= tolerance * magnitude)) fail("value differs from strtold", text);
  }
}

// The three texts of one calculation: split at the first two tabs, or in thirds.
void splitInThree(std::string_view text, std::string_view (&parts)[3]) {
  const std::size_t firstTab = text.find('\t');
  const std::size_t secondTab =
      firstTab == std::string_view::npos ? firstTab : text.find('\t', firstTab + 1);
  if (secondTab != std::string_view::npos) {
    parts[0] = text.substr(0, firstTab);
    parts[1] = text.substr(firstTab + 1, secondTab - firstTab - 1);
    parts[2] = text.substr(secondTab + 1);
    return;
  }
  const std::size_t third = text.size() / 3;
  parts[0] = text.substr(0, third);
  parts[1] = text.substr(third, third);
  parts[2] = text.substr(2 * third);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // As the programs start: with the error hooks, faults become the error objects.
  static const bool hooksInstalled = (pumpcalc::installErrorHooks(nullptr), true);
  (void)hooksInstalled;
  if (size < 3) return 0;
  const char separator = static_cast<char>(data[0]);
  const int precision = data[1] - '0';
  const int exponentDigits = data[2] - '0';
  const std::string_view text(reinterpret_cast<const char*>(data) + 3, size - 3);

  pumpcalc::DecimalSeparatorChar = separator;
  pumpcalc::resetFloatUnit();

  // Text to number and back.
  ExtendedReal value;
  const bool parsed = pumpcalc::tryTextToExtended(text, value);
  if (pumpcalc::floatUnit().flags != 0 ||
      pumpcalc::floatUnit().controlWord != pumpcalc::FloatControlWord) {
    fail("the conversion left the float unit changed", text);
  }
  if (parsed) {
    checkAgainstStrtold(text, separator, value);
    checkWritten(value, precision, exponentDigits, separator);
  }

  // Any bit pattern, including the encodings that no arithmetic produces.
  if (text.size() >= 10) {
    ExtendedReal raw;
    std::memcpy(&raw.significand, text.data(), sizeof raw.significand);
    std::memcpy(&raw.signExponent, text.data() + sizeof raw.significand, sizeof raw.signExponent);
    checkWritten(raw, precision, exponentDigits, separator);
  }

  // The calculation: its own errors are expected outcomes; anything else escapes and crashes.
  pumpcalc::resetFloatUnit();
  std::string_view parts[3];
  splitInThree(text, parts);
  try {
    const pumpcalc::PumpPowerTexts texts =
        pumpcalc::calculatePumpPower(parts[0], parts[1], parts[2]);
    const std::string_view written[] = {texts.shaftPower, texts.lowerMotorPower,
                                        texts.upperMotorPower};
    for (std::string_view result : written) checkText(result, true, separator);
    // The batch mode goes straight on to the next line: nothing left behind may fault there.
    if (pumpcalc::pendingFloatFaults() != 0) fail("a calculation left a pending fault", text);
  } catch (const pumpcalc::Exception&) {
  }
  return 0;
}
