#include "cli/table.h"

#include "core/utf8.h"

namespace pumpcalc::cli {

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
    const std::size_t length = utf8SequenceLength(bytes + i, size - i);
    if (length == 0) return {i, RecordProblem::invalidText};
    i += length;
  }
  if (nul < size) return {nul, RecordProblem::nulByte};
  return {};
}

std::string problemText(const RecordCheck& check, std::string_view encoding) {
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
    case RecordProblem::invalidText:
      return "invalid " + std::string(encoding) + " in field " + field;
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
