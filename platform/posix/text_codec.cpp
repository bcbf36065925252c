// The character set of the user's locale, converted by iconv(3).
#include "platform/text_codec.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <cstring>

#include "core/utf8.h"

namespace pumpcalc::platform {
namespace {

class IconvCodec final : public TextCodec {
 public:
  IconvCodec(std::string name, iconv_t toUtf8, iconv_t fromUtf8)
      : name_(std::move(name)), toUtf8_(toUtf8), fromUtf8_(fromUtf8) {}
  ~IconvCodec() override {
    iconv_close(toUtf8_);
    iconv_close(fromUtf8_);
  }
  IconvCodec(const IconvCodec&) = delete;
  IconvCodec& operator=(const IconvCodec&) = delete;

  std::string_view name() const noexcept override { return name_; }

  std::size_t decode(std::string_view bytes, bool atEnd, std::string& utf8) override {
    std::size_t i = 0;
    while (i < bytes.size()) {
      if (convert(toUtf8_, bytes, i, utf8)) continue;
      if (errno == EINVAL && !atEnd) break;  // a sequence cut short: wait for the rest
      utf8.push_back(invalidSequenceMark);
      ++i;
    }
    return i;
  }

  void encode(std::string_view utf8, std::string& bytes) override {
    std::size_t i = 0;
    while (i < utf8.size()) {
      if (convert(fromUtf8_, utf8, i, bytes)) continue;
      // A character the character set lacks, or invalid UTF-8.
      bytes.push_back('?');
      const std::size_t length = utf8SequenceLength(
          reinterpret_cast<const unsigned char*>(utf8.data()) + i, utf8.size() - i);
      i += length != 0 ? length : 1;
    }
  }

 private:
  // Converts from text[at] on, appending to `out` and moving `at`; false, with errno, where it
  // stops before the end.
  static bool convert(iconv_t converter, std::string_view text, std::size_t& at, std::string& out) {
    char* in = const_cast<char*>(text.data() + at);
    std::size_t inLeft = text.size() - at;
    char buffer[16384];
    char* produced = buffer;
    std::size_t room = sizeof buffer;
    const std::size_t result = iconv(converter, &in, &inLeft, &produced, &room);
    const int error = errno;
    out.append(buffer, static_cast<std::size_t>(produced - buffer));
    at = text.size() - inLeft;
    if (result != static_cast<std::size_t>(-1)) return true;
    errno = error;
    return error == E2BIG;  // the buffer is full: go on
  }

  std::string name_;
  iconv_t toUtf8_, fromUtf8_;
};

}  // namespace

std::unique_ptr<TextCodec> systemTextCodec(std::string& error) {
  // The locale that the environment names, without changing the program's own.
  std::string charset = "ANSI_X3.4-1968";
  if (const locale_t locale = newlocale(LC_CTYPE_MASK, "", nullptr)) {
    charset = nl_langinfo_l(CODESET, locale);
    freelocale(locale);
  }
  if (charset == "UTF-8") return nullptr;
  const iconv_t toUtf8 = iconv_open("UTF-8", charset.c_str());
  const iconv_t fromUtf8 = iconv_open(charset.c_str(), "UTF-8");
  const auto none = reinterpret_cast<iconv_t>(-1);
  if (toUtf8 == none || fromUtf8 == none) {
    if (toUtf8 != none) iconv_close(toUtf8);
    if (fromUtf8 != none) iconv_close(fromUtf8);
    error = "the locale's character set " + charset + " cannot be converted";
    return nullptr;
  }
  return std::make_unique<IconvCodec>(charset, toUtf8, fromUtf8);
}

bool textFilesUseSystemEncoding() noexcept { return false; }

}  // namespace pumpcalc::platform
