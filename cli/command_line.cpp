#include "cli/command_line.h"

namespace pumpcalc::cli {

const char* const helpText =
    "Usage: pumpcalc-cli [--decimal-separator C] FLOW HEAD EFFICIENCY\n"
    "       pumpcalc-cli [--decimal-separator C] --batch < pumps.tsv > results.tsv\n"
    "       pumpcalc-cli --help\n"
    "\n"
    "Computes a pump's shaft power N = FLOW x HEAD / (367.2 x EFFICIENCY x 0.01) in kW\n"
    "and the motor power range 1.1 N to 1.2 N, from the flow in m3/h, the head in m and\n"
    "the efficiency in per cent, with up to 15 significant digits.\n"
    "\n"
    "Single mode prints the shaft power, the lower and the upper motor power, one per\n"
    "line, and exits with 0. If a value is not a number or the arithmetic fails, it prints\n"
    "the error's message on standard error and exits with 1.\n"
    "\n"
    "--batch reads lines of three tab-separated fields (flow, head, efficiency; a trailing\n"
    "CR is dropped) from standard input and writes, for each line, its three fields\n"
    "followed by the three results, or by the word \"error\" and the message, all\n"
    "separated by tabs. A line without exactly three fields is an error line; the rest\n"
    "of the input goes on. Exits with 0 when every line succeeded, 1 when any failed.\n"
    "\n"
    "--decimal-separator C  use the one byte C as the decimal separator of the inputs\n"
    "                       and results instead of the one of the current locale.\n"
    "--                     ends the options (for values that begin with \"-\").\n"
    "\n"
    "Usage errors exit with 2.\n";

namespace {

bool looksLikeOption(std::string_view arg) {
  // "-5", "-.5" and "-" alone are values; "--batch" and "-x" are options.
  return arg.size() >= 2 && arg[0] == '-' && !(arg[1] >= '0' && arg[1] <= '9') && arg[1] != '.' &&
         arg[1] != ',';
}

}  // namespace

std::variant<Options, UsageError> parseCommandLine(const std::vector<std::string_view>& args) {
  Options options;
  std::vector<std::string_view> values;
  bool batch = false;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (optionsEnded || !looksLikeOption(arg)) {
      values.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--help" || arg == "-h") {
      options.mode = Mode::help;
      return options;
    } else if (arg == "--batch") {
      batch = true;
    } else if (arg == "--decimal-separator") {
      if (i + 1 == args.size()) return UsageError{"--decimal-separator needs a value"};
      const std::string_view separator = args[++i];
      if (separator.size() != 1) {
        return UsageError{"--decimal-separator takes exactly one byte, not '" +
                          std::string(separator) + "'"};
      }
      options.decimalSeparator = separator[0];
    } else {
      return UsageError{"unknown option '" + std::string(arg) + "'"};
    }
  }
  if (batch) {
    if (!values.empty()) return UsageError{"--batch takes no values: it reads standard input"};
    options.mode = Mode::batch;
    return options;
  }
  if (values.size() != 3) {
    return UsageError{"expected 3 values (FLOW HEAD EFFICIENCY), got " +
                      std::to_string(values.size())};
  }
  options.flow = values[0];
  options.head = values[1];
  options.efficiency = values[2];
  return options;
}

}  // namespace pumpcalc::cli
