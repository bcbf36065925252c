// The program's GB18030 against the system's on every code, and text converted in pieces.
#include "cli/gb18030.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "tests/cli/batch_differential.h"
#include "tests/cli/system_gb18030.h"

namespace pumpcalc::cli {
namespace {

using clitest::escaped;
using clitest::SystemGb18030;

std::string utf8Of(char32_t code) {
  std::string text;
  if (code < 0x80) return std::string(1, static_cast<char>(code));
  const int continuations = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
  text += static_cast<char>((0xFF00 >> (continuations + 1) & 0xFF) | code >> (6 * continuations));
  for (int k = continuations - 1; k >= 0; --k) {
    text += static_cast<char>(0x80 | (code >> (6 * k) & 0x3F));
  }
  return text;
}

std::string fourByteCode(std::uint32_t number) {
  const char code[] = {
      static_cast<char>(0x81 + number / 12600), static_cast<char>(0x30 + number / 1260 % 10),
      static_cast<char>(0x81 + number / 10 % 126), static_cast<char>(0x30 + number % 10)};
  return std::string(code, 4);
}

// Every two-byte code, every four-byte code of the Basic Multilingual Plane and beyond it
// to the last valid one and past it (every 7th), read alone; every code point written alone.
TEST(Gb18030Codec, ReadsAndWritesEveryCodeAsTheSystemDoes) {
  const std::unique_ptr<SystemGb18030> system = SystemGb18030::open();
  if (!system) GTEST_SKIP() << "the system converts no GB18030 (Wine lacks code page 54936)";
  Gb18030Codec codec;
  int failures = 0;
  const auto check = [&](const std::string& code) {
    std::string text;
    const platform::TextCodec::Converted done = codec.decode(code, true, text);
    EXPECT_EQ(done.taken, code.size());
    text.resize(done.written);
    const std::string expected = clitest::decodeGb18030(code, *system);
    if (text != expected && ++failures <= 20) {
      ADD_FAILURE() << "decode " << escaped(code) << ": " << escaped(text) << ", system "
                    << escaped(expected);
    }
  };
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0x30; trail <= 0xFF; ++trail) {
      check({static_cast<char>(lead), static_cast<char>(trail)});
    }
  }
  for (std::uint32_t number = 0; number < 39420 + 100; ++number) check(fourByteCode(number));
  for (std::uint32_t number = 189000 - 100; number < 126 * 12600; number += 7) {
    check(fourByteCode(number));
  }
  for (char32_t code = 0x80; code <= 0x10FFFF; code += code < 0x10000 ? 1 : 7) {
    if (code >= 0xD800 && code <= 0xDFFF) continue;
    std::string bytes;
    bytes.resize(codec.encode(utf8Of(code), bytes));
    const std::string expected = system->encode(code).value_or("?");
    if (bytes != expected && ++failures <= 20) {
      ADD_FAILURE() << "encode U+" << std::hex << static_cast<unsigned>(code) << ": "
                    << escaped(bytes) << ", system " << escaped(expected);
    }
  }
  // The plane-2 characters that two-byte codes stand for.
  for (const char32_t code : {0x20087, 0x20089, 0x200CC, 0x215D7, 0x2298F, 0x241FE}) {
    std::string bytes;
    bytes.resize(codec.encode(utf8Of(code), bytes));
    EXPECT_EQ(escaped(bytes), escaped(system->encode(code).value_or("?")));
  }
}

// A sequence that the end of a piece cuts short is decoded with the next.
TEST(Gb18030Codec, TextInPiecesConvertsAsAWhole) {
  const std::string gb18030 = "P\xB1\xC3\x95\x32\x82\x36,\x81\x30\x81\x30;\xFF\x81\r\n";
  const std::string utf8 = "P泵\xF0\xA0\x80\x80,\xC2\x80;\xFF\xFF\r\n";  // U+20000, U+0080
  Gb18030Codec codec;
  for (std::size_t cut = 0; cut <= gb18030.size(); ++cut) {
    std::string first, second;
    const auto done = codec.decode(std::string_view(gb18030).substr(0, cut), false, first);
    second.resize(codec.decode(gb18030.substr(done.taken), true, second).written);
    EXPECT_EQ(escaped(first.substr(0, done.written) + second), escaped(utf8)) << "cut at " << cut;
  }
}

}  // namespace
}  // namespace pumpcalc::cli
