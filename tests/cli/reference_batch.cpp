#include "tests/cli/reference_batch.h"

#include <algorithm>
#include <cstdint>
#include <functional>

#include "core/decimal_format.h"
#include "core/errors.h"
#include "core/pump_power.h"

namespace pumpcalc::clitest {
namespace {

constexpr std::size_t none = std::string_view::npos;

// ---- The fields of one record ----

// Where the first NUL byte, or the first byte of an invalid UTF-8 sequence, lies.
struct Fault {
  std::size_t at = none;
  std::string what;
};

// UTF-8 read one byte at a time: a sequence is a lead byte and as many continuation bytes
// as the lead says; the ranges exclude overlong forms, surrogates and code points above
// U+10FFFF. A sequence that is cut short (by a NUL, another lead, the end) is invalid at its
// lead byte.
Fault firstFault(std::string_view record) {
  std::size_t lead = 0;
  int missing = 0;                        // continuation bytes still to come
  unsigned char low = 0x80, high = 0xBF;  // the range of the next continuation byte
  for (std::size_t i = 0; i < record.size(); ++i) {
    const auto byte = static_cast<unsigned char>(record[i]);
    if (missing > 0) {
      if (byte < low || byte > high) return {lead, "invalid UTF-8"};
      --missing;
      low = 0x80;
      high = 0xBF;
      continue;
    }
    lead = i;
    if (byte == 0x00) return {i, "NUL byte"};
    if (byte <= 0x7F) continue;
    if (byte >= 0xC2 && byte <= 0xDF) {
      missing = 1;
    } else if (byte >= 0xE0 && byte <= 0xEF) {
      missing = 2;
      if (byte == 0xE0) low = 0xA0;   // no overlong form
      if (byte == 0xED) high = 0x9F;  // no surrogate
    } else if (byte >= 0xF0 && byte <= 0xF4) {
      missing = 3;
      if (byte == 0xF0) low = 0x90;   // no overlong form
      if (byte == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
      return {i, "invalid UTF-8"};
    }
  }
  if (missing > 0) return {lead, "invalid UTF-8"};
  return {};
}

struct RecordFields {
  std::vector<std::string> texts;  // quotes removed, a doubled quote as one
  std::string problem;             // empty, or "NUL byte in field 2" and the like
};

RecordFields splitFields(std::string_view record, const ReferenceSettings& settings) {
  const Fault fault = firstFault(record);
  RecordFields result;
  std::size_t i = 0;
  for (std::size_t number = 1;; ++number) {
    std::string text;
    std::string problem;
    if (settings.csv && i < record.size() && record[i] == '"') {
      bool closed = false;
      for (++i; i < record.size() && !closed;) {
        const char c = record[i++];
        if (c != '"') {
          text += c;
        } else if (i < record.size() && record[i] == '"') {
          text += '"';
          ++i;
        } else {
          closed = true;
        }
      }
      if (!closed) {
        problem = "unmatched quote in field ";
      } else if (i < record.size() && record[i] != settings.separator) {
        problem = "text after the closing quote of field ";
      }
    } else {
      while (i < record.size() && record[i] != settings.separator) text += record[i++];
    }
    // The field's own bytes end at i; a fault among them counts before the rest. In a
    // schedule read from GB18030, invalid text was invalid there.
    if (fault.at < i) {
      const bool invalid = fault.what == "invalid UTF-8";
      result.problem = (invalid && settings.gb18030 ? "invalid GB18030" : fault.what) +
                       " in field " + std::to_string(number);
      return result;
    }
    if (!problem.empty()) {
      result.problem = problem + std::to_string(number);
      return result;
    }
    result.texts.push_back(std::move(text));
    if (i == record.size()) return result;
    ++i;  // the separator
  }
}

// ---- Records ----

struct Record {
  std::size_t begin = 0, end = 0;  // the record's bytes, without the line end
  std::size_t next = 0;            // where the next record begins
  std::uint64_t lines = 1;         // the lines it spans
  bool hasLineEnd = false;
  bool crlf = false;
};

Record endingAt(std::string_view input, std::size_t begin, std::size_t lineEnd,
                std::uint64_t lines) {
  Record record;
  record.begin = begin;
  record.lines = lines;
  record.hasLineEnd = lineEnd < input.size();
  record.next = record.hasLineEnd ? lineEnd + 1 : input.size();
  record.end = lineEnd;
  record.crlf = record.end > begin && input[record.end - 1] == '\r';
  if (record.crlf) --record.end;
  return record;
}

// The record that begins at `begin`, read as a small state machine: at the start of a
// field, in an unquoted field (or after a closing quote), inside quotes, or just after a
// quote inside quotes (which closes them unless another quote follows).
Record readRecord(std::string_view input, std::size_t begin, const ReferenceSettings& settings,
                  const std::function<bool(std::string_view)>& wellFormed) {
  enum class State { fieldStart, unquoted, quoted, quoteInQuotes };
  State state = State::fieldStart;
  std::size_t firstLineEnd = none;
  std::uint64_t lines = 1;
  std::size_t i = begin;
  for (; i < input.size(); ++i) {
    const char c = input[i];
    if (state == State::quoted) {
      if (c == '"') state = State::quoteInQuotes;
      if (c == '\n') {
        ++lines;
        if (firstLineEnd == none) firstLineEnd = i;
      }
      continue;
    }
    if (c == '\n') break;
    if (state == State::quoteInQuotes && c == '"') {
      state = State::quoted;  // a doubled quote
    } else if (c == settings.separator) {
      state = State::fieldStart;
    } else if (state == State::fieldStart && settings.csv && c == '"') {
      state = State::quoted;
    } else {
      state = State::unquoted;
    }
  }
  if (state == State::quoted) {  // the input ends inside quotes
    return endingAt(input, begin, firstLineEnd != none ? firstLineEnd : input.size(), 1);
  }
  const Record whole = endingAt(input, begin, i, lines);
  if (lines > 1 && !wellFormed(input.substr(whole.begin, whole.end - whole.begin))) {
    return endingAt(input, begin, firstLineEnd, 1);
  }
  return whole;
}

// ---- Output ----

std::string separatorName(char separator) {
  if (separator == '\t') return "tab-separated";
  if (separator == ',') return "comma-separated";
  if (separator == ';') return "semicolon-separated";
  return std::string("'") + separator + "'-separated";
}

// In CSV a field that holds the separator, a quote, a CR or an LF is quoted.
std::string field(std::string_view text, const ReferenceSettings& settings) {
  bool quote = false;
  for (const char c : text) {
    quote = quote || c == settings.separator || c == '"' || c == '\r' || c == '\n';
  }
  if (!settings.csv || !quote) return std::string(text);
  std::string quoted = "\"";
  for (const char c : text) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

struct Layout {
  std::vector<std::size_t> columns = {0, 1, 2};  // flow, head, efficiency, specific gravity
  std::size_t width = 3;
  bool widthIsMinimum = false;
  std::string widthMessage;
};

// The layout, or the message why there is none.
std::string makeLayout(const ReferenceSettings& settings,
                       const std::optional<std::vector<std::string>>& names, Layout& layout) {
  if (settings.columns) {
    layout.columns.resize(settings.columns->size());
    for (std::size_t k = 0; k < settings.columns->size(); ++k) {
      const ReferenceColumn& column = (*settings.columns)[k];
      if (column.number != 0) {
        if (names && column.number > names->size()) {
          return "the header has " + std::to_string(names->size()) + " columns, not " +
                 std::to_string(column.number);
        }
        layout.columns[k] = column.number - 1;
        continue;
      }
      const auto count = std::count(names->begin(), names->end(), column.name);
      if (count == 0) return "the header has no column '" + column.name + "'";
      if (count > 1) return "the header has more than one column '" + column.name + "'";
      layout.columns[k] = static_cast<std::size_t>(
          std::find(names->begin(), names->end(), column.name) - names->begin());
    }
  }
  if (names && !settings.columns && names->size() < 3) {
    return "the header has " + std::to_string(names->size()) + " columns, not 3";
  }
  const std::string separated = separatorName(settings.separator);
  if (names) {
    layout.width = names->size();
    layout.widthMessage = "expected " + std::to_string(layout.width) + " " + separated +
                          " fields as in the header, found ";
  } else if (settings.columns) {
    layout.width = *std::max_element(layout.columns.begin(), layout.columns.end()) + 1;
    layout.widthIsMinimum = true;
    layout.widthMessage = "expected at least " + std::to_string(layout.width) + " " + separated +
                          " fields (flow, head, efficiency";
    if (layout.columns.size() == 4) layout.widthMessage += ", specific gravity";
    layout.widthMessage += " in columns " + std::to_string(layout.columns[0] + 1);
    for (std::size_t k = 1; k < layout.columns.size(); ++k) {
      layout.widthMessage += ", " + std::to_string(layout.columns[k] + 1);
    }
    layout.widthMessage += "), found ";
  } else {
    layout.widthMessage = "expected 3 " + separated + " fields (flow, head, efficiency), found ";
  }
  return {};
}

bool hasWidth(std::size_t count, const Layout& layout) {
  return layout.widthIsMinimum ? count >= layout.width : count == layout.width;
}

// The three results (the required motor power, the rating) as the single-pump command line
// computes them, or "error" and the message.
std::string results(const std::vector<std::string>& texts, const Layout& layout,
                    const ReferenceSettings& settings, bool& failed) {
  const std::string separator(1, settings.separator);
  try {
    const auto flow = [&] { return std::string_view(texts[layout.columns[0]]); };
    const auto head = [&] { return std::string_view(texts[layout.columns[1]]); };
    const auto efficiency = [&] { return std::string_view(texts[layout.columns[2]]); };
    std::string_view gravity = "1";
    if (settings.specificGravity) gravity = *settings.specificGravity;
    if (layout.columns.size() == 4) gravity = texts[layout.columns[3]];
    const PumpValues result = calculatePumpPowerValues(
        flow, head, [&] { return gravity; }, efficiency, floatUnit());
    std::string out = field(extendedToText(result.shaftPower), settings) + separator +
                      field(extendedToText(result.lowerMotorPower), settings) + separator +
                      field(extendedToText(result.upperMotorPower), settings);
    ExtendedReal motorPower = result.lowerMotorPower;
    if (settings.margin) {
      motorPower =
          requiredMotorPower(*settings.margin, result.product, result.divisor, floatUnit());
      out += separator + field(extendedToText(motorPower), settings);
    }
    if (settings.ratings != nullptr) {
      const RatingChoice choice = settings.ratings->choose(motorPower);
      out += separator + field((choice.aboveLargest ? ">" : "") + choice.rating.text, settings);
    }
    return out;
  } catch (const Exception& error) {
    failed = true;
    return "error" + separator + field(error.message(), settings);
  }
}

// The batch's output for a schedule in UTF-8.
ReferenceResult readSchedule(std::string_view input, const ReferenceSettings& settings) {
  ReferenceResult result;
  const std::string separator(1, settings.separator);
  std::size_t pos = 0;
  if (input.starts_with("\xEF\xBB\xBF")) {
    result.output += "\xEF\xBB\xBF";
    pos = 3;
  }
  std::uint64_t line = 1;
  bool lastCrlf = false;  // a record without a line end ends as the one before
  struct Taken {
    std::string_view text;
    std::uint64_t line;
    std::string lineEnd;
  };
  const auto take = [&](const std::function<bool(std::string_view)>& wellFormed, Taken& taken) {
    if (pos == input.size()) return false;
    const Record record = readRecord(input, pos, settings, wellFormed);
    if (record.hasLineEnd) lastCrlf = record.crlf;
    taken = {input.substr(record.begin, record.end - record.begin), line,
             settings.csv && lastCrlf ? "\r\n" : "\n"};
    line += record.lines;
    pos = record.next;
    return true;
  };

  Taken record;
  std::optional<std::vector<std::string>> names;
  if (settings.header) {
    const auto readable = [&](std::string_view text) {
      return splitFields(text, settings).problem.empty();
    };
    if (!take(readable, record)) return result;
    RecordFields header = splitFields(record.text, settings);
    if (!header.problem.empty()) {
      result.failure = "cannot read the header: line 1: " + header.problem;
      return result;
    }
    names = std::move(header.texts);
  }
  Layout layout;
  if (std::string message = makeLayout(settings, names, layout); !message.empty()) {
    result.failure = message;
    return result;
  }
  if (settings.header) {
    result.output += record.text;
    std::vector<std::string> added = {"shaft power (kW)", "lower motor power (kW)",
                                      "upper motor power (kW)"};
    if (settings.margin) added.push_back("required motor power (kW)");
    if (settings.ratings != nullptr) added.push_back("motor rating (kW)");
    for (const std::string& name : added) result.output += separator + field(name, settings);
    result.output += record.lineEnd;
  }

  const auto wellFormedRow = [&](std::string_view text) {
    const RecordFields fields = splitFields(text, settings);
    return fields.problem.empty() && hasWidth(fields.texts.size(), layout);
  };
  while (take(wellFormedRow, record)) {
    ++result.lines;
    const RecordFields fields = splitFields(record.text, settings);
    bool failed = false;
    if (!fields.problem.empty()) {
      failed = true;
      result.output +=
          separator + "error" + separator +
          field("line " + std::to_string(record.line) + ": " + fields.problem, settings);
    } else if (!hasWidth(fields.texts.size(), layout)) {
      failed = true;
      result.output += std::string(record.text) + separator + "error" + separator +
                       field(layout.widthMessage + std::to_string(fields.texts.size()), settings);
    } else {
      result.output += std::string(record.text) + separator;
      result.output += results(fields.texts, layout, settings, failed);
    }
    if (failed) ++result.failedLines;
    result.output += record.lineEnd;
  }
  return result;
}

}  // namespace

ReferenceResult referenceBatch(std::string_view input, const ReferenceSettings& settings) {
  if (settings.gb18030 == nullptr) return readSchedule(input, settings);
  ReferenceResult result = readSchedule(decodeGb18030(input, *settings.gb18030), settings);
  result.output = encodeGb18030(result.output, *settings.gb18030);
  return result;
}

}  // namespace pumpcalc::clitest
