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

char* writeFourByte(std::uint32_t number, char* out) {
  out[3] = static_cast<char>(0x30 + number % 10);
  number /= 10;
  out[2] = static_cast<char>(0x81 + number % 126);
  number /= 126;
  out[1] = static_cast<char>(0x30 + number % 10);
  out[0] = static_cast<char>(0x81 + number / 10);
  return out + 4;
}

char* writeTwoByte(std::uint16_t code, char* out) {
  out[0] = static_cast<char>(code >> 8);
  out[1] = static_cast<char>(code & 0xFF);
  return out + 2;
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

platform::TextCodec::Converted Gb18030Codec::decode(std::string_view bytes, bool atEnd,
                                                    std::string& utf8) {
  const auto* const in = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t size = bytes.size();
  // A code that the end cuts short waits for more bytes, or at the very end is invalid.
  const std::size_t cutShort = atEnd ? 1 : 0;
  // No code gives more than twice its length in UTF-8 (two bytes give at most four).
  return decodeToUtf8(
      bytes, 2, utf8, platform::invalidSequenceMark, [&](std::size_t i) -> FoundCode {
        const unsigned char lead = in[i];
        const std::size_t available = size - i;
        if (!isLead(lead)) return {1, 0};
        if (available < 2) return {cutShort, 0};
        const unsigned char second = in[i + 1];
        if (isTwoByteTrail(second)) {
          return {
              2, twoByte_[(lead - 0x81) * trailsPerLead + second - 0x40 - (second > 0x7F ? 1 : 0)]};
        }
        if (!isDigit(second) || (available >= 3 && !isLead(in[i + 2])) ||
            (available >= 4 && !isDigit(in[i + 3]))) {
          return {1, 0};
        }
        if (available < 4) return {cutShort, 0};
        return {4, fourByteCodePoint(
                       static_cast<std::uint32_t>(((lead - 0x81) * 10 + (second - 0x30)) * 1260 +
                                                  (in[i + 2] - 0x81) * 10 + (in[i + 3] - 0x30)))};
      });
}

char* Gb18030Codec::writeCharacter(char32_t code, char* out) const {
  if (code < 0x10000) {
    if (const std::uint16_t twoByteCode = bmpTwoByte_[code]; twoByteCode != 0) {
      return writeTwoByte(twoByteCode, out);
    }
    const auto after =
        std::upper_bound(runsByCodePoint_.begin(), runsByCodePoint_.end(), code,
                         [](char32_t c, const Run& run) { return c < run.codePoint; });
    if (after != runsByCodePoint_.begin()) {
      const Run& run = *(after - 1);
      if (code - run.codePoint < run.length) {
        return writeFourByte(run.number + (code - run.codePoint), out);
      }
    }
    *out = '?';
    return out + 1;
  }
  for (const auto& [other, twoByteCode] : otherTwoByte_) {
    if (other == code) return writeTwoByte(twoByteCode, out);
  }
  return writeFourByte(firstSupplementaryNumber + (code - 0x10000), out);
}

std::size_t Gb18030Codec::encode(std::string_view utf8, std::string& bytes) {
  const auto* const in = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t size = utf8.size();
  // No character takes more than twice its UTF-8 length (U+0080 takes four bytes).
  if (bytes.size() < 2 * size) bytes.resize(2 * size);
  char* const start = bytes.data();
  char* out = start;
  std::size_t i = 0;
  while (i < size) {
    if (in[i] < 0x80) {
      copyAscii(utf8.data(), size, i, out);
      continue;
    }
    // Most characters of a schedule beyond ASCII are CJK: three bytes of UTF-8 (leads 0xE1 to
    // 0xEC need no check of the second byte's range), two of GB18030.
    if (size - i >= 3 && in[i] >= 0xE1 && in[i] <= 0xEC && (in[i + 1] & 0xC0) == 0x80 &&
        (in[i + 2] & 0xC0) == 0x80) {
      const char32_t code = (in[i] & 0x0Fu) << 12 | (in[i + 1] & 0x3Fu) << 6 | (in[i + 2] & 0x3Fu);
      if (const std::uint16_t twoByteCode = bmpTwoByte_[code]; twoByteCode != 0) {
        out = writeTwoByte(twoByteCode, out);
        i += 3;
        continue;
      }
    }
    const std::size_t length = utf8SequenceLength(in + i, size - i);
    if (length == 0) {
      *out++ = '?';
      ++i;
      continue;
    }
    out = writeCharacter(utf8CodePoint(in + i, length), out);
    i += length;
  }
  return static_cast<std::size_t>(out - start);
}

}  // namespace pumpcalc::cli
