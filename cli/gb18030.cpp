#include "cli/gb18030.h"

#include <algorithm>
#include <cstring>

#include "core/utf8.h"

namespace pumpcalc::cli {
namespace {

constexpr std::size_t trailsPerLead = 190;  // 0x40-0x7E and 0x80-0xFE
constexpr std::uint32_t fourByteBmpCodes = 39420;
constexpr std::uint32_t firstSupplementaryNumber = 189000;  // 0x90308130, U+10000

constexpr bool isLead(unsigned char byte) noexcept { return byte >= 0x81 && byte <= 0xFE; }
constexpr bool isDigit(unsigned char byte) noexcept { return byte >= 0x30 && byte <= 0x39; }
constexpr bool isTwoByteTrail(unsigned char byte) noexcept {
  return byte >= 0x40 && byte != 0x7F && byte != 0xFF;
}

std::uint64_t load8(const unsigned char* bytes) noexcept {
  std::uint64_t word;
  std::memcpy(&word, bytes, 8);
  return word;
}
constexpr std::uint64_t highBits = 0x8080'8080'8080'8080u;

void appendFourByte(std::uint32_t number, std::string& bytes) {
  char code[4];
  code[3] = static_cast<char>(0x30 + number % 10);
  number /= 10;
  code[2] = static_cast<char>(0x81 + number % 126);
  number /= 126;
  code[1] = static_cast<char>(0x30 + number % 10);
  code[0] = static_cast<char>(0x81 + number / 10);
  bytes.append(code, 4);
}

}  // namespace

Gb18030Codec::Gb18030Codec() : bmpTwoByte_(0x10000, 0) {
  const auto* text = reinterpret_cast<const unsigned char*>(gb18030::twoByteCharacters);
  const std::size_t size = std::strlen(gb18030::twoByteCharacters);
  twoByte_.reserve(126 * trailsPerLead);
  for (std::size_t i = 0; i < size;) {
    const std::size_t length = utf8SequenceLength(text + i, size - i);
    const char32_t code = utf8CodePoint(text + i, length);
    const std::size_t index = twoByte_.size();
    const auto trailPlace = static_cast<unsigned>(index % trailsPerLead);
    const auto twoByteCode = static_cast<std::uint16_t>(
        (0x81 + index / trailsPerLead) << 8 | (0x40 + trailPlace + (trailPlace >= 0x3F ? 1 : 0)));
    if (code < 0x10000) {
      bmpTwoByte_[code] = twoByteCode;
    } else {
      otherTwoByte_.emplace_back(code, twoByteCode);
    }
    twoByte_.push_back(code);
    i += length;
  }
  for (std::size_t k = 0; k < gb18030::fourByteRunCount; ++k) {
    const gb18030::FourByteRun& run = gb18030::fourByteRuns[k];
    const std::uint32_t end =
        k + 1 < gb18030::fourByteRunCount ? gb18030::fourByteRuns[k + 1].number : fourByteBmpCodes;
    if (run.codePoint != 0)
      runsByCodePoint_.push_back({run.codePoint, run.number, end - run.number});
  }
  std::sort(runsByCodePoint_.begin(), runsByCodePoint_.end(),
            [](const Run& a, const Run& b) { return a.codePoint < b.codePoint; });
}

char32_t Gb18030Codec::fourByteCodePoint(std::uint32_t number) const noexcept {
  if (number < fourByteBmpCodes) {
    const gb18030::FourByteRun* const end = gb18030::fourByteRuns + gb18030::fourByteRunCount;
    const gb18030::FourByteRun* run =
        std::upper_bound(
            gb18030::fourByteRuns, end, number,
            [](std::uint32_t n, const gb18030::FourByteRun& r) { return n < r.number; }) -
        1;
    return run->codePoint == 0 ? 0 : run->codePoint + (number - run->number);
  }
  if (number >= firstSupplementaryNumber && number - firstSupplementaryNumber < 0x100000) {
    return 0x10000 + (number - firstSupplementaryNumber);
  }
  return 0;
}

std::size_t Gb18030Codec::decode(std::string_view bytes, bool atEnd, std::string& utf8) {
  const auto* const in = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t size = bytes.size();
  // No code gives more than twice its length in UTF-8 (two bytes give at most four).
  const std::size_t start = utf8.size();
  utf8.resize(start + 2 * size);
  char* out = utf8.data() + start;
  std::size_t i = 0;
  while (i < size) {
    if (size - i >= 8 && (load8(in + i) & highBits) == 0) {  // ASCII, eight bytes at a time
      std::memcpy(out, in + i, 8);
      out += 8;
      i += 8;
      continue;
    }
    const unsigned char lead = in[i];
    if (lead < 0x80) {
      *out++ = static_cast<char>(lead);
      ++i;
      continue;
    }
    // The code at i: its length and code point (0: invalid), or a wait for more bytes.
    const std::size_t available = size - i;
    std::size_t length = 1;
    char32_t code = 0;
    if (isLead(lead) && available >= 2) {
      const unsigned char second = in[i + 1];
      if (isTwoByteTrail(second)) {
        length = 2;
        code = twoByte_[(lead - 0x81) * trailsPerLead + second - 0x40 - (second > 0x7F ? 1 : 0)];
      } else if (isDigit(second) && (available < 3 || isLead(in[i + 2])) &&
                 (available < 4 || isDigit(in[i + 3]))) {
        if (available < 4) {
          if (!atEnd) break;
        } else {
          length = 4;
          code = fourByteCodePoint(
              static_cast<std::uint32_t>(((lead - 0x81) * 10 + (second - 0x30)) * 1260 +
                                         (in[i + 2] - 0x81) * 10 + (in[i + 3] - 0x30)));
        }
      }
    } else if (isLead(lead) && !atEnd) {
      break;
    }
    if (code == 0) {
      *out++ = platform::invalidSequenceMark;
      ++i;
      continue;
    }
    out = writeUtf8(code, out);
    i += length;
  }
  utf8.resize(static_cast<std::size_t>(out - utf8.data()));
  return i;
}

void Gb18030Codec::encodeCharacter(char32_t code, std::string& bytes) const {
  if (code < 0x10000) {
    if (const std::uint16_t twoByteCode = bmpTwoByte_[code]; twoByteCode != 0) {
      bytes.push_back(static_cast<char>(twoByteCode >> 8));
      bytes.push_back(static_cast<char>(twoByteCode & 0xFF));
      return;
    }
    const auto after =
        std::upper_bound(runsByCodePoint_.begin(), runsByCodePoint_.end(), code,
                         [](char32_t c, const Run& run) { return c < run.codePoint; });
    if (after != runsByCodePoint_.begin()) {
      const Run& run = *(after - 1);
      if (code - run.codePoint < run.length) {
        appendFourByte(run.number + (code - run.codePoint), bytes);
        return;
      }
    }
    bytes.push_back('?');
    return;
  }
  for (const auto& [other, twoByteCode] : otherTwoByte_) {
    if (other == code) {
      bytes.push_back(static_cast<char>(twoByteCode >> 8));
      bytes.push_back(static_cast<char>(twoByteCode & 0xFF));
      return;
    }
  }
  appendFourByte(firstSupplementaryNumber + (code - 0x10000), bytes);
}

void Gb18030Codec::encode(std::string_view utf8, std::string& bytes) {
  const auto* const in = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t size = utf8.size();
  std::size_t i = 0;
  while (i < size) {
    // A run of ASCII, copied at once.
    std::size_t ascii = i;
    while (size - ascii >= 8 && (load8(in + ascii) & highBits) == 0) ascii += 8;
    while (ascii < size && in[ascii] < 0x80) ++ascii;
    bytes.append(utf8.data() + i, ascii - i);
    i = ascii;
    if (i == size) break;
    const std::size_t length = utf8SequenceLength(in + i, size - i);
    if (length == 0) {
      bytes.push_back('?');
      ++i;
      continue;
    }
    encodeCharacter(utf8CodePoint(in + i, length), bytes);
    i += length;
  }
}

}  // namespace pumpcalc::cli
