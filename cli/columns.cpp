#include "cli/columns.h"

#include <algorithm>

namespace pumpcalc::cli {

std::variant<ColumnSelection, std::string> parseColumnSelection(std::string_view text) {
  const TableDialect csv{TableFormat::csv, ','};
  ColumnSelection selection;
  std::string scratch;
  bool badNumber = false;
  const RecordCheck check = forEachField(text, csv, [&](std::size_t, const FieldSpan& field) {
    ColumnChoice& choice = selection.emplace_back();
    const std::string_view item = fieldText(text, field, scratch);
    const bool digits = !item.empty() && std::all_of(item.begin(), item.end(),
                                                     [](char c) { return c >= '0' && c <= '9'; });
    if (digits && !field.quoted) {
      choice.number = item.size() < 10 ? std::stoul(std::string(item)) : 0;
      badNumber = badNumber || choice.number == 0;
    } else {
      choice.name = item;
    }
  });
  const std::string given = quoted(text);
  if (check.problem != RecordProblem::none) return given + ": " + problemText(check);
  if (selection.size() != 3 && selection.size() != 4) {
    return given + " names " + std::to_string(selection.size()) +
           " columns, not 3 (flow, head, efficiency) or 4 (and specific gravity)";
  }
  if (badNumber) return given + ": columns are numbered from 1 to 999999999";
  for (const ColumnChoice& choice : selection) {
    if (choice.number == 0 && choice.name.empty()) return given + ": an empty column";
  }
  return selection;
}

bool namesColumns(const ColumnSelection& selection) {
  return std::any_of(selection.begin(), selection.end(),
                     [](const ColumnChoice& choice) { return choice.number == 0; });
}

namespace {

// The 0-based columns that `selection` chooses, into layout.columns, or the message why one
// is not there. Names come with a header (the command line sees to that).
std::optional<std::string> chooseColumns(const ColumnSelection& selection,
                                         const std::optional<std::vector<std::string>>& headerNames,
                                         RowLayout& layout) {
  if (selection.size() != 3 && selection.size() != 4) {
    return std::to_string(selection.size()) + " columns chosen, not 3 or 4";
  }
  for (std::size_t i = 0; i < selection.size(); ++i) {
    const ColumnChoice& choice = selection[i];
    if (choice.number != 0) {
      if (headerNames && choice.number > headerNames->size()) {
        return "the header has " + std::to_string(headerNames->size()) + " columns, not " +
               std::to_string(choice.number);
      }
      layout.columns[i] = choice.number - 1;
      continue;
    }
    const auto& names = *headerNames;
    const auto found = std::find(names.begin(), names.end(), choice.name);
    if (found == names.end()) return "the header has no column " + quoted(choice.name);
    if (std::find(found + 1, names.end(), choice.name) != names.end()) {
      return "the header has more than one column " + quoted(choice.name);
    }
    layout.columns[i] = static_cast<std::size_t>(found - names.begin());
  }
  return std::nullopt;
}

}  // namespace

std::variant<RowLayout, std::string> makeRowLayout(
    const TableDialect& dialect, const std::optional<ColumnSelection>& selection,
    const std::optional<std::vector<std::string>>& headerNames, const MotorRatings* ratings,
    char decimalSeparator) {
  RowLayout layout;
  layout.dialect = dialect;
  layout.ratings = ratings;
  layout.quoteNumbers = dialect.format == TableFormat::csv &&
                        (decimalSeparator == dialect.separator || decimalSeparator == '"' ||
                         decimalSeparator == '\r' || decimalSeparator == '\n');
  const std::string separated = separatorName(dialect.separator);
  if (selection) {
    if (auto message = chooseColumns(*selection, headerNames, layout)) return *message;
  }
  if (headerNames && !selection && headerNames->size() < 3) {
    // The default columns are the first three: a narrower header lacks one of them.
    return "the header has " + std::to_string(headerNames->size()) + " columns, not 3";
  }
  if (headerNames) {
    layout.width = headerNames->size();
    layout.widthMessage = "expected " + std::to_string(layout.width) + " " + separated +
                          " fields as in the header, found ";
  } else if (selection) {
    std::string numbers;
    layout.width = 0;
    for (std::size_t i = 0; i < selection->size(); ++i) {
      layout.width = std::max(layout.width, layout.columns[i] + 1);
      numbers += (i > 0 ? ", " : "") + std::to_string(layout.columns[i] + 1);
    }
    layout.widthIsMinimum = true;
    layout.widthMessage = "expected at least " + std::to_string(layout.width) + " " + separated +
                          " fields (flow, head, efficiency" +
                          (selection->size() == 4 ? ", specific gravity" : "") + " in columns " +
                          numbers + "), found ";
  } else {
    layout.widthMessage = "expected 3 " + separated + " fields (flow, head, efficiency), found ";
  }
  return layout;
}

}  // namespace pumpcalc::cli
