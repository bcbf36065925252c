// The ANSI code page, converted by the system (MultiByteToWideChar, WideCharToMultiByte).
#include "platform/text_codec.h"

#include <array>
#include <cstring>
#include <vector>

#include "core/utf8.h"
#include "platform/win32/text_encoding.h"
#include "platform/win32/win32.h"

namespace pumpcalc::platform {
namespace {

// A code page of one or two bytes a character whose bytes below 0x80 are ASCII, as every
// ANSI code page is. What the system makes of each byte and each pair of bytes is asked
// once and kept, so that decoding costs no call per character.
class CodePageCodec final : public TextCodec {
 public:
  CodePageCodec(UINT codePage, const CPINFOEXW& information)
      : codePage_(codePage), name_("code page " + std::to_string(codePage)) {
    for (const BYTE* range = information.LeadByte; range[0] != 0 || range[1] != 0; range += 2) {
      for (unsigned byte = range[0]; byte <= range[1]; ++byte) isLead_[byte] = true;
    }
    for (unsigned byte = 0x80; byte < 0x100; ++byte) {
      const char text[] = {static_cast<char>(byte)};
      if (!isLead_[byte]) single_[byte - 0x80] = character({text, 1});
    }
  }

  std::string_view name() const noexcept override { return name_; }

  Converted decode(std::string_view bytes, bool atEnd, std::string& utf8) override {
    const auto* const in = reinterpret_cast<const unsigned char*>(bytes.data());
    // A byte may stand for a character of three bytes in UTF-8 (0x80, the euro sign), a pair
    // for one of at most four.
    return decodeToUtf8(bytes, 3, utf8, invalidSequenceMark, [&](std::size_t i) -> FoundCode {
      const unsigned char byte = in[i];
      if (!isLead_[byte]) return {1, single_[byte - 0x80]};
      if (i + 1 < bytes.size()) return {2, pair(byte, in[i + 1])};
      return {atEnd ? std::size_t{1} : 0, 0};  // its second byte may be still to come
    });
  }

  std::size_t encode(std::string_view utf8, std::string& bytes) override {
    // No character takes more bytes here than in UTF-8, '?' for one of them neither.
    if (bytes.size() < utf8.size()) bytes.resize(utf8.size());
    std::size_t written = 0;
    for (std::size_t i = 0; i < utf8.size();) {
      std::size_t end = i;
      const bool ascii = static_cast<unsigned char>(utf8[i]) < 0x80;
      while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) < 0x80) == ascii) ++end;
      if (ascii) {
        std::memcpy(bytes.data() + written, utf8.data() + i, end - i);
        written += end - i;
      } else {
        // The system writes '?' for what the code page lacks, and for invalid UTF-8 (U+FFFD).
        const std::wstring wide = toUtf16(utf8.substr(i, end - i));
        const int room = static_cast<int>(bytes.size() - written);
        written += static_cast<std::size_t>(WideCharToMultiByte(
            codePage_, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
            bytes.data() + written, room, "?", nullptr));
      }
      i = end;
    }
    return written;
  }

 private:
  // The character of `text` in this code page, or 0 when it is not exactly one.
  char32_t character(std::string_view text) const {
    wchar_t wide[2];
    const int length = MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, text.data(),
                                           static_cast<int>(text.size()), wide, 2);
    if (length == 1 && (wide[0] < 0xD800 || wide[0] > 0xDFFF)) return wide[0];
    if (length == 2 && wide[0] >= 0xD800 && wide[0] <= 0xDBFF && wide[1] >= 0xDC00 &&
        wide[1] <= 0xDFFF) {
      return 0x10000 + ((wide[0] - 0xD800) << 10) + (wide[1] - 0xDC00);
    }
    return 0;
  }

  char32_t pair(unsigned char lead, unsigned char trail) {
    std::vector<char32_t>& row = pairs_[lead];
    if (row.empty()) {
      row.resize(0x100);
      for (unsigned byte = 0; byte < 0x100; ++byte) {
        const char text[] = {static_cast<char>(lead), static_cast<char>(byte)};
        row[byte] = character({text, 2});
      }
    }
    return row[trail];
  }

  UINT codePage_;
  std::string name_;
  std::array<bool, 0x100> isLead_{};
  std::array<char32_t, 0x80> single_{};             // bytes 0x80 to 0xFF that lead no pair
  std::array<std::vector<char32_t>, 0x100> pairs_;  // by lead byte, filled when first met
};

}  // namespace

std::unique_ptr<TextCodec> systemTextCodec(std::string& error) {
  const UINT codePage = GetACP();
  if (codePage == CP_UTF8) return nullptr;
  CPINFOEXW information{};
  if (!GetCPInfoExW(codePage, 0, &information) || information.MaxCharSize > 2) {
    error = "code page " + std::to_string(codePage) + " cannot be read";
    return nullptr;
  }
  return std::make_unique<CodePageCodec>(codePage, information);
}

bool textFilesUseSystemEncoding() noexcept { return true; }

}  // namespace pumpcalc::platform
