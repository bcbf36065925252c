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

  Converted decode(std::string_view bytes, bool atEnd, std::string& utf8) override {
    Converted done{0, 0};
    while (done.taken < bytes.size()) {
      if (convert(toUtf8_, bytes, done, utf8)) continue;
      if (errno == EINVAL && !atEnd) break;  // a sequence cut short: wait for the rest
      put(invalidSequenceMark, done, utf8);
      ++done.taken;
    }
    return done;
  }

  std::size_t encode(std::string_view utf8, std::string& bytes) override {
    Converted done{0, 0};
    while (done.taken < utf8.size()) {
      if (convert(fromUtf8_, utf8, done, bytes)) continue;
      // A character the character set lacks, or invalid UTF-8.
      put('?', done, bytes);
      const std::size_t length =
          utf8SequenceLength(reinterpret_cast<const unsigned char*>(utf8.data()) + done.taken,
                             utf8.size() - done.taken);
      done.taken += length != 0 ? length : 1;
    }
    return done.written;
  }

 private:
  static void put(char c, Converted& done, std::string& out) {
    if (out.size() <= done.written) out.resize(2 * done.written + 16);
    out[done.written++] = c;
  }

  // Converts `text` from done.taken on into `out` from done.written on, moving both; false,
  // with errno, where it stops before the end of `text`.
  static bool convert(iconv_t converter, std::string_view text, Converted& done, std::string& out) {
    if (out.size() - done.written < 4 * (text.size() - done.taken) + 16) {
      out.resize(done.written + 4 * (text.size() - done.taken) + 16);
    }
    char* in = const_cast<char*>(text.data() + done.taken);
    std::size_t inLeft = text.size() - done.taken;
    char* produced = out.data() + done.written;
    std::size_t room = out.size() - done.written;
    const std::size_t result = iconv(converter, &in, &inLeft, &produced, &room);
    done.taken = text.size() - inLeft;
    done.written = static_cast<std::size_t>(produced - out.data());
    return result != static_cast<std::size_t>(-1) || errno == E2BIG;
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
