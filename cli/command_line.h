// The command line of pumpcalc-cli.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/columns.h"
#include "cli/encoding.h"
#include "cli/table.h"
#include "core/extended_real.h"

namespace pumpcalc::cli {

enum class Mode { single, batch, help };

struct Options {
  Mode mode = Mode::single;
  std::optional<char> decimalSeparator;  // overrides the locale's
  std::string flow, head, efficiency;    // single mode
  bool motorRating = false;              // --motor-rating, --motor-ratings or --margin
  std::optional<std::string> motorRatingsFile;
  std::optional<std::string> specificGravity;  // one text for every pump, read as the inputs
  std::optional<std::string> margin;           // read by marginValue once the separator is known

  // Batch mode.
  TableFormat format = TableFormat::tsv;
  std::optional<char> fieldSeparator;
  bool header = false;
  std::optional<ColumnSelection> columns;
  std::optional<std::string> inputFile, outputFile;
  std::optional<unsigned> threads;
  EncodingChoice encoding = EncodingChoice::automatic;
};

struct UsageError {
  std::string message;
};

// Arguments without the program name. Any batch option selects batch mode, which takes no
// values. "--" ends the options, so that "-5" style values can follow it; a value that
// merely starts with "-" followed by a digit or separator is taken as a value too.
std::variant<Options, UsageError> parseCommandLine(const std::vector<std::string_view>& args);

// The dialect of a batch once the decimal separator is known: --field-separator, else a tab
// for tsv, and for csv "," or ";" where the decimal separator is ",". A tsv field separator
// must differ from the decimal separator (csv quotes such numbers).
std::variant<TableDialect, UsageError> batchDialect(const Options& options, char decimalSeparator);

// The value of --margin, read as the inputs are (with DecimalSeparatorChar): a number of at
// least 1, or a usage error that says why not.
std::variant<ExtendedReal, UsageError> marginValue(std::string_view text);

extern const char* const helpText;

}  // namespace pumpcalc::cli
