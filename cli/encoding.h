// The encoding of a schedule: what --encoding names, how "auto" finds it, and the schedule's
// bytes read as UTF-8 and the output written back in its encoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "cli/records.h"
#include "platform/text_codec.h"

namespace pumpcalc::cli {

enum class EncodingChoice : std::uint8_t {
  automatic,  // UTF-8 if the text is, else the system's encoding (see looksLikeUtf8)
  utf8,
  gb18030,
  system,  // Windows' ANSI code page, or the locale's character set
};

// "auto", "utf-8" (or "utf8"), "gb18030" (or "gbk", "gb2312", which it contains), "ansi", in
// any case; none for another name.
std::optional<EncodingChoice> parseEncodingName(std::string_view name);

// How much of a schedule "auto" looks at.
inline constexpr std::size_t encodingLookAheadBytes = std::size_t{1} << 20;

// Whether "auto" reads a schedule that begins with `head` as UTF-8: it begins with a UTF-8
// byte-order mark, or it is valid UTF-8 (all of it when `whole`, else but for a sequence that
// its end cuts short).
bool looksLikeUtf8(std::string_view head, bool whole);

// What "auto" reads a schedule that begins with `head` as: UTF-8 where it looks like it,
// else the system's encoding where text files are in it (Windows); elsewhere none, and the
// message that asks for --encoding (`inputName` says which input).
std::variant<EncodingChoice, std::string> automaticEncoding(std::string_view head, bool whole,
                                                            const std::string& inputName);

// The codec of an encoding (not automatic): null for UTF-8, also where the system's encoding
// is UTF-8; or the message why there is none.
std::variant<std::unique_ptr<platform::TextCodec>, std::string> textCodec(EncodingChoice choice);

// A source whose first bytes are read and looked at before they are handed out.
class LookAheadSource final : public ByteSource {
 public:
  // Reads up to `size` bytes of `source` now.
  LookAheadSource(ByteSource& source, std::size_t size);

  std::string_view head() const noexcept { return head_; }
  // Whether the head is the whole input.
  bool headIsWhole() const noexcept { return whole_; }

  std::size_t read(char* buffer, std::size_t size) override;

 private:
  ByteSource& source_;
  std::string head_;
  std::size_t taken_ = 0;
  bool whole_ = false;
};

// The bytes of `source`, decoded by `codec`, as UTF-8 (see platform::TextCodec::decode).
class DecodingSource final : public ByteSource {
 public:
  DecodingSource(ByteSource& source, platform::TextCodec& codec) : source_(source), codec_(codec) {}
  std::size_t read(char* buffer, std::size_t size) override;

 private:
  ByteSource& source_;
  platform::TextCodec& codec_;
  std::string bytes_;  // read, not yet decoded
  std::string text_;   // decoded: [taken_, decoded_) not yet handed out
  std::size_t taken_ = 0, decoded_ = 0;
  bool ended_ = false;
};

// UTF-8 written to `sink` encoded by `codec`; a sequence that the end of one write cuts short
// is encoded with the next.
class EncodingSink final : public ByteSink {
 public:
  EncodingSink(ByteSink& sink, platform::TextCodec& codec) : sink_(sink), codec_(codec) {}
  void write(const char* data, std::size_t size) override;
  void flush() override { sink_.flush(); }

 private:
  ByteSink& sink_;
  platform::TextCodec& codec_;
  std::string cut_;  // the start of a cut sequence
  std::string bytes_;
};

}  // namespace pumpcalc::cli
