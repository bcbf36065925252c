// Differential fuzz target for the batch: the plain reference reader against the batch on
// one thread, and the batch on one thread against the batch on several, with chunks and
// reads of a few bytes.
//
// Input layout:
//   byte 0     bit 0: CSV; bit 1: --header; bit 2: the motor rating; bit 3: --columns;
//              bit 4: decimal separator "," (else "."); bits 5-6: the field separator,
//              the usual one for the format or one of three others; bit 7: --margin 1.25
//   byte 1     --columns: two bits per column (flow, head, efficiency), 1 to 3 the column
//              number, 0 the header names "Q", "H" and "eta" (column 4 without a header);
//              bits 6-7 the specific gravity: none, --specific-gravity 0.85, a fourth
//              column (4, or with a header "SG"), or a fourth column 2
//   byte 2     the several threads' run: 2 to 5 threads (bits 0-1), chunks of 1 to 64
//              bytes (bits 2-7)
//   byte 3     the read sizes of that run, 1 to 7 bytes, in a cycle of three
//   byte 4     bit 0: the schedule is GB18030 (the reference converting it with the
//              system's iconv)
//   the rest   the schedule
//
// Any difference aborts, which libFuzzer and the replay main both report as a crash.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "core/decimal_parse.h"
#include "core/error_mapping.h"
#include "core/locale_numbers.h"
#include "core/motor_rating.h"
#include "platform/system_services.h"
#include "tests/cli/batch_differential.h"
#include "tests/cli/reference_batch.h"
#include "tests/cli/system_gb18030.h"

namespace {

using namespace pumpcalc::clitest;

[[noreturn]] void fail(const std::string& what, std::string_view input) {
  std::fprintf(stderr, "fuzz_batch: %s\n  input: %s\n", what.c_str(), escaped(input).c_str());
  std::abort();
}

char fieldSeparator(bool csv, char decimal, unsigned choice) {
  if (choice == 0) return csv ? (decimal == ',' ? ';' : ',') : '\t';
  const char others[] = {'|', ';', ' '};
  const char chosen = others[choice - 1];
  // TSV cannot separate with the decimal separator (the command line refuses it).
  return !csv && chosen == decimal ? '\t' : chosen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // As the command line starts: the platform's services and the error hooks.
  static const bool started =
      (pumpcalc::platform::installSystemServices(), pumpcalc::installErrorHooks(nullptr), true);
  (void)started;
  if (size < 5) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 5, size - 5);

  pumpcalc::DecimalSeparatorChar = (data[0] & 0x10) != 0 ? ',' : '.';
  static const pumpcalc::MotorRatings pointRatings =
      (pumpcalc::DecimalSeparatorChar = '.', pumpcalc::standardMotorRatings());
  static const pumpcalc::MotorRatings commaRatings =
      (pumpcalc::DecimalSeparatorChar = ',', pumpcalc::standardMotorRatings());
  pumpcalc::DecimalSeparatorChar = (data[0] & 0x10) != 0 ? ',' : '.';

  ReferenceSettings settings;
  settings.csv = (data[0] & 0x01) != 0;
  settings.header = (data[0] & 0x02) != 0;
  if ((data[0] & 0x04) != 0) {
    settings.ratings = pumpcalc::DecimalSeparatorChar == ',' ? &commaRatings : &pointRatings;
  }
  settings.separator = fieldSeparator(settings.csv, pumpcalc::DecimalSeparatorChar,
                                      static_cast<unsigned>(data[0] >> 5) & 3);
  static const std::unique_ptr<SystemGb18030> gb18030 = SystemGb18030::open();
  if ((data[4] & 0x01) != 0) {
    if (!gb18030) return 0;
    settings.gb18030 = gb18030.get();
  }
  const unsigned gravity = data[1] >> 6;
  if ((data[0] & 0x08) != 0 || gravity >= 2) {
    static const char* const names[] = {"Q", "H", "eta", "SG"};
    settings.columns.emplace();
    for (std::size_t k = 0; k < 3; ++k) {
      const std::size_t number = (data[0] & 0x08) != 0 ? (data[1] >> (2 * k)) & 3 : k + 1;
      if (number == 0 && settings.header) {
        settings.columns->push_back({0, names[k]});
      } else {
        settings.columns->push_back({number == 0 ? 4 : number, {}});
      }
    }
    if (gravity == 3) settings.columns->push_back({2, {}});
    if (gravity == 2) settings.columns->push_back({settings.header ? 0u : 4u, names[3]});
  }
  if (gravity == 1)
    settings.specificGravity = pumpcalc::DecimalSeparatorChar == ',' ? "0,85" : "0.85";
  if ((data[0] & 0x80) != 0) {
    settings.margin.emplace();
    pumpcalc::tryTextToExtended(pumpcalc::DecimalSeparatorChar == ',' ? "1,25" : "1.25",
                                *settings.margin);
  }
  const RunShape several{2u + (data[2] & 3u),
                         1u + (data[2] >> 2u),
                         {1u + data[3] % 7u, 1u + data[3] / 7u % 7u, 1u + data[3] / 49u % 7u}};

  const ReferenceResult expected = referenceBatch(input, settings);
  for (const RunShape& shape : {RunShape{}, several}) {
    const std::string difference = differenceFromReference(input, settings, expected, shape);
    if (!difference.empty()) fail(difference, input);
  }
  return 0;
}
