#include "cli/table.h"

namespace pumpcalc::cli {
namespace {

// The length of the valid UTF-8 sequence at text[0] (text not empty), or 0 if there is
// none: no overlong forms, no surrogates, nothing above U+10FFFF.
std::size_t sequenceLength(const unsigned char* text, std::size_t available) noexcept {
  const unsigned char lead = text[0];
  std::size_t length;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead < 0x80) return 1;
  if (lead < 0xC2) return 0;
  if (lead < 0xE0) {
    length = 2;
  } else if (lead < 0xF0) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead < 0xF5) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (available < length || text[1] < low || text[1] > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if ((text[i] & 0xC0) != 0x80) return 0;
  }
  return length;
}

}  // namespace

std::string quoted(std::string_view name) {
  std::string text;
  text.reserve(name.size() + 2);
  text.push_back('\'');
  text.append(name);
  text.push_back('\'');
  return text;
}

TextFault findTextFault(std::string_view text) noexcept {
  const auto* const bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  std::size_t nul = size;
  if (const void* found = std::memchr(bytes, '\0', size)) {
    nul = static_cast<std::size_t>(static_cast<const unsigned char*>(found) - bytes);
  }
  // Plain ASCII eight bytes at a time, then sequence by sequence from the first high byte.
  std::size_t i = 0;
  for (; i + 8 <= nul; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes + i, 8);
    if ((word & 0x8080'8080'8080'8080u) != 0) break;
  }
  while (i < nul) {
    const std::size_t length = sequenceLength(bytes + i, size - i);
    if (length == 0) return {i, RecordProblem::invalidUtf8};
    i += length;
  }
  if (nul < size) return {nul, RecordProblem::nulByte};
  return {};
}

std::string problemText(const RecordCheck& check) {
  const std::string field = std::to_string(check.field);
  switch (check.problem) {
    case RecordProblem::none:
      break;
    case RecordProblem::unmatchedQuote:
      return "unmatched quote in field " + field;
    case RecordProblem::textAfterQuote:
      return "text after the closing quote of field " + field;
    case RecordProblem::fieldTooLong:
      return "field " + field + " is longer than 1 MiB";
    case RecordProblem::nulByte:
      return "NUL byte in field " + field;
    case RecordProblem::invalidUtf8:
      return "invalid UTF-8 in field " + field;
  }
  return {};
}

std::string_view quotedFieldText(std::string_view record, const FieldSpan& field,
                                 std::string& scratch) {
  const std::string_view text = record.substr(field.offset + 1, field.length - 2);
  if (text.find('"') == std::string_view::npos) return text;
  scratch.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    scratch.push_back(text[i]);
    if (text[i] == '"') ++i;  // the second of a doubled quote
  }
  return scratch;
}

}  // namespace pumpcalc::cli
