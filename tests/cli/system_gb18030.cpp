#include "tests/cli/system_gb18030.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>

#include <utility>

#include "platform/unique_handle.h"
#endif

namespace pumpcalc::clitest {
namespace {

#ifdef _WIN32

class CodePage54936 final : public SystemGb18030 {
 public:
  std::optional<char32_t> decode(std::string_view code) override {
    wchar_t wide[2];
    const int length = MultiByteToWideChar(54936, MB_ERR_INVALID_CHARS, code.data(),
                                           static_cast<int>(code.size()), wide, 2);
    if (length == 1) return wide[0];
    if (length == 2) return 0x10000 + ((wide[0] - 0xD800) << 10) + (wide[1] - 0xDC00);
    return std::nullopt;
  }
  std::optional<std::string> encode(char32_t codePoint) override {
    wchar_t wide[2];
    int length = 1;
    if (codePoint < 0x10000) {
      wide[0] = static_cast<wchar_t>(codePoint);
    } else {
      wide[0] = static_cast<wchar_t>(0xD800 + ((codePoint - 0x10000) >> 10));
      wide[1] = static_cast<wchar_t>(0xDC00 + (codePoint & 0x3FF));
      length = 2;
    }
    char code[8];
    const int count =
        WideCharToMultiByte(54936, WC_ERR_INVALID_CHARS, wide, length, code, 8, nullptr, nullptr);
    if (count <= 0) return std::nullopt;
    return std::string(code, static_cast<std::size_t>(count));
  }
};

#else

using UniqueIconv = platform::UniqueHandle<iconv_t, iconv_close, -1>;

class Iconv final : public SystemGb18030 {
 public:
  Iconv(UniqueIconv decoder, UniqueIconv encoder)
      : decoder_(std::move(decoder)), encoder_(std::move(encoder)) {}
  std::optional<char32_t> decode(std::string_view code) override {
    const std::optional<std::string> out = convert(decoder_.get(), code);
    if (!out || out->size() != 4) return std::nullopt;
    const auto* b = reinterpret_cast<const unsigned char*>(out->data());
    return static_cast<char32_t>(b[0]) << 24 | b[1] << 16 | b[2] << 8 | b[3];
  }
  std::optional<std::string> encode(char32_t codePoint) override {
    const char in[4] = {static_cast<char>(codePoint >> 24), static_cast<char>(codePoint >> 16),
                        static_cast<char>(codePoint >> 8), static_cast<char>(codePoint)};
    return convert(encoder_.get(), std::string_view(in, 4));
  }

 private:
  static std::optional<std::string> convert(iconv_t converter, std::string_view text) {
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char buffer[16];
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    if (iconv(converter, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) ||
        inLeft != 0) {
      return std::nullopt;
    }
    return std::string(buffer, static_cast<std::size_t>(out - buffer));
  }

  UniqueIconv decoder_, encoder_;
};

#endif

void appendUtf8(char32_t code, std::string& out) {
  if (code < 0x80) {
    out += static_cast<char>(code);
    return;
  }
  const int continuations = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
  const unsigned leads[] = {0, 0xC0, 0xE0, 0xF0};
  out += static_cast<char>(leads[continuations] | code >> (6 * continuations));
  for (int k = continuations - 1; k >= 0; --k) {
    out += static_cast<char>(0x80 | (code >> (6 * k) & 0x3F));
  }
}

bool inRange(unsigned char byte, unsigned char low, unsigned char high) {
  return byte >= low && byte <= high;
}

}  // namespace

std::unique_ptr<SystemGb18030> SystemGb18030::open() {
#ifdef _WIN32
  if (!IsValidCodePage(54936)) return nullptr;
  return std::make_unique<CodePage54936>();
#else
  UniqueIconv decoder(iconv_open("UTF-32BE", "GB18030"));
  UniqueIconv encoder(iconv_open("GB18030", "UTF-32BE"));
  if (!decoder || !encoder) return nullptr;
  return std::make_unique<Iconv>(std::move(decoder), std::move(encoder));
#endif
}

std::string decodeGb18030(std::string_view bytes, SystemGb18030& system) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto byte = [&](std::size_t k) {
      return i + k < bytes.size() ? static_cast<unsigned char>(bytes[i + k]) : 0;
    };
    std::size_t length = 1;
    if (byte(0) >= 0x80) {
      if (inRange(byte(0), 0x81, 0xFE) && inRange(byte(1), 0x30, 0x39) &&
          inRange(byte(2), 0x81, 0xFE) && inRange(byte(3), 0x30, 0x39)) {
        length = 4;
      } else if (inRange(byte(0), 0x81, 0xFE) && inRange(byte(1), 0x40, 0xFE) && byte(1) != 0x7F) {
        length = 2;
      } else {
        length = 0;  // no code
      }
    }
    const std::optional<char32_t> code =
        length == 0 ? std::nullopt : system.decode(bytes.substr(i, length));
    if (!code) {
      out += '\xFF';
      ++i;
      continue;
    }
    appendUtf8(*code, out);
    i += length;
  }
  return out;
}

std::string encodeGb18030(std::string_view utf8, SystemGb18030& system) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) code = code << 6 | (utf8[i + k] & 0x3F);
    out += system.encode(code).value_or("?");
    i += length;
  }
  return out;
}

}  // namespace pumpcalc::clitest
