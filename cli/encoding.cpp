#include "cli/encoding.h"

#include <algorithm>
#include <cstring>

#include "cli/gb18030.h"
#include "core/utf8.h"

namespace pumpcalc::cli {

std::optional<EncodingChoice> parseEncodingName(std::string_view name) {
  std::string lower(name);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c; });
  if (lower == "auto") return EncodingChoice::automatic;
  if (lower == "utf-8" || lower == "utf8") return EncodingChoice::utf8;
  if (lower == "gb18030" || lower == "gbk" || lower == "gb2312") return EncodingChoice::gb18030;
  if (lower == "ansi") return EncodingChoice::system;
  return std::nullopt;
}

bool looksLikeUtf8(std::string_view head, bool whole) {
  if (head.starts_with(byteOrderMark)) return true;
  if (!whole) head.remove_suffix(utf8CutTail(head));
  return validUtf8Length(head) == head.size();
}

std::variant<EncodingChoice, std::string> automaticEncoding(std::string_view head, bool whole,
                                                            const std::string& inputName) {
  if (looksLikeUtf8(head, whole)) return EncodingChoice::utf8;
  if (platform::textFilesUseSystemEncoding()) return EncodingChoice::system;
  return inputName +
         " is not UTF-8: give its encoding with --encoding (gb18030 for CSV saved on a Chinese "
         "Windows, ansi for the locale's)";
}

std::variant<std::unique_ptr<platform::TextCodec>, std::string> textCodec(EncodingChoice choice) {
  std::unique_ptr<platform::TextCodec> codec;
  if (choice == EncodingChoice::gb18030) codec = std::make_unique<Gb18030Codec>();
  if (choice == EncodingChoice::system) {
    std::string error;
    codec = platform::systemTextCodec(error);
    if (!error.empty()) return "--encoding ansi: " + error;
  }
  return codec;
}

LookAheadSource::LookAheadSource(ByteSource& source, std::size_t size) : source_(source) {
  head_.resize(size);
  head_.resize(source_.readFully(head_.data(), size));
  whole_ = head_.size() < size;
}

std::size_t LookAheadSource::read(char* buffer, std::size_t size) {
  if (taken_ == head_.size()) return whole_ ? 0 : source_.read(buffer, size);
  const std::size_t count = std::min(size, head_.size() - taken_);
  std::memcpy(buffer, head_.data() + taken_, count);
  taken_ += count;
  return count;
}

std::size_t DecodingSource::read(char* buffer, std::size_t size) {
  while (taken_ == decoded_ && !(ended_ && bytes_.empty())) {
    if (!ended_) {
      const std::size_t held = bytes_.size();
      bytes_.resize(held + readBlock);
      const std::size_t count = source_.read(bytes_.data() + held, readBlock);
      bytes_.resize(held + count);
      ended_ = count == 0;
    }
    const platform::TextCodec::Converted done = codec_.decode(bytes_, ended_, text_);
    bytes_.erase(0, done.taken);
    taken_ = 0;
    decoded_ = done.written;
  }
  const std::size_t count = std::min(size, decoded_ - taken_);
  std::memcpy(buffer, text_.data() + taken_, count);
  taken_ += count;
  return count;
}

void EncodingSink::write(const char* data, std::size_t size) {
  std::string_view text(data, size);
  if (!cut_.empty()) {  // rare: a batch writes whole lines
    cut_.append(text);
    text = cut_;
  }
  const std::size_t whole = text.size() - utf8CutTail(text);
  const std::size_t written = codec_.encode(text.substr(0, whole), bytes_);
  cut_ = std::string(text.substr(whole));
  sink_.write(bytes_.data(), written);
}

}  // namespace pumpcalc::cli
