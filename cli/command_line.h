// The command line of pumpcalc-cli.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pumpcalc::cli {

enum class Mode { single, batch, help };

struct Options {
  Mode mode = Mode::single;
  std::optional<char> decimalSeparator;  // overrides the locale's
  std::string flow, head, efficiency;    // single mode
};

struct UsageError {
  std::string message;
};

// Arguments without the program name.
// Accepts: [--decimal-separator C] (FLOW HEAD EFFICIENCY | --batch) | --help
// "--" ends the options, so that "-5" style values can follow it; a value that merely
// starts with "-" followed by a digit or separator is taken as a value too.
std::variant<Options, UsageError> parseCommandLine(const std::vector<std::string_view>& args);

extern const char* const helpText;

}  // namespace pumpcalc::cli
