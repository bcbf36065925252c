#include "cli/table.h"

namespace pumpcalc::cli {

std::string quoted(std::string_view name) {
  std::string text;  // built up, not "'" + name + "'", which GCC 12 warns of wrongly (-Wrestrict)
  text.reserve(name.size() + 2);
  text.push_back('\'');
  text.append(name);
  text.push_back('\'');
  return text;
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
