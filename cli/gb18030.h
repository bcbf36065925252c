// GB18030, the encoding of the CSV files that spreadsheets save on a Chinese Windows (it
// contains GBK and GB2312). The program's own codec, so that every build reads a file the
// same way: as Debian's iconv reads it (the tests compare the two on every code).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/text_codec.h"

namespace pumpcalc::cli {

namespace gb18030 {

// A run of four-byte codes of the Basic Multilingual Plane that stand for consecutive code
// points: the number of its first code (0x81308130 is 0, counting the last byte fastest)
// and that code's code point, 0 for a run of invalid codes. It lasts until the next run.
struct FourByteRun {
  std::uint32_t number;
  char32_t codePoint;
};

// The generated tables (cli/gb18030_table.cpp, from tools/gen_gb18030_table.py).
extern const char twoByteCharacters[];  // UTF-8, in code order
extern const FourByteRun fourByteRuns[];
extern const std::size_t fourByteRunCount;

}  // namespace gb18030

class Gb18030Codec final : public platform::TextCodec {
 public:
  Gb18030Codec();

  std::string_view name() const noexcept override { return "GB18030"; }
  Converted decode(std::string_view bytes, bool atEnd, std::string& utf8) override;
  std::size_t encode(std::string_view utf8, std::string& bytes) override;

 private:
  // The code point of a four-byte code by its number, 0 for an invalid one.
  char32_t fourByteCodePoint(std::uint32_t number) const noexcept;
  // Writes the code of `code` at `out`, or '?' when it has none; returns its end.
  char* writeCharacter(char32_t code, char* out) const;

  std::vector<char32_t> twoByte_;          // by (lead - 0x81) * 190 + the trail's place
  std::vector<std::uint16_t> bmpTwoByte_;  // a BMP code point's two-byte code, or 0
  std::vector<std::pair<char32_t, std::uint16_t>> otherTwoByte_;  // the same beyond the BMP
  struct Run {
    char32_t codePoint;
    std::uint32_t number, length;
  };
  std::vector<Run> runsByCodePoint_;  // the valid runs, in code point order
};

}  // namespace pumpcalc::cli
