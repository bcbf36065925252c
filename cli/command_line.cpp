#include "cli/command_line.h"

#include <algorithm>
#include <charconv>
#include <iterator>

#include "core/decimal_parse.h"
#include "core/locale_numbers.h"

namespace pumpcalc::cli {

namespace {

constexpr std::string_view help =
    "Usage: pumpcalc-cli [--decimal-separator C] [--motor-rating] FLOW HEAD EFFICIENCY\n"
    "       pumpcalc-cli [--decimal-separator C] --batch [BATCH OPTIONS]\n"
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
    "--batch reads a pump schedule, one pump per line, from standard input and writes,\n"
    "for each line, the line as it came followed by the three results, or by the word\n"
    "\"error\" and the message. A line without the expected fields is an error line; the\n"
    "rest of the input goes on. Exits with 0 when every line succeeded, 1 when any failed.\n"
    "Each of these options selects batch mode:\n"
    "\n"
    "--format tsv           (the default) fields separated by tabs, no quoting; a CR\n"
    "                       before the line end is dropped and lines end in LF.\n"
    "--format csv           CSV as spreadsheets save it (RFC 4180): fields separated by\n"
    "                       \",\" (\";\" where the decimal separator is \",\"), quoted with\n"
    "                       '\"' when they hold the separator, a quote (doubled) or a\n"
    "                       line break; CRLF or LF line ends, kept in the output.\n"
    "--field-separator C    separate fields with the one byte C instead.\n"
    "--header               the first line names the columns; it is written back with\n"
    "                       the names of the added columns, and every line must have as\n"
    "                       many fields as it.\n"
    "--columns F,H,E[,SG]   the flow, head and efficiency columns, and perhaps the\n"
    "                       specific gravity's: 1-based numbers or, with --header,\n"
    "                       names (quoted, a name may hold a comma). Other columns are\n"
    "                       copied through. Default: the first three, and exactly three\n"
    "                       fields a line.\n"
    "--input FILE           read FILE instead of standard input.\n"
    "--output FILE          write FILE instead of standard output, replacing it only when\n"
    "                       the whole input has been processed; it may not be the input.\n"
    "--threads N            compute large inputs on N threads (default: one for each\n"
    "                       processor, at most 16).\n"
    "--encoding NAME        the schedule's encoding, in which the output is written too:\n"
    "                       utf-8; gb18030 (or gbk, gb2312), as a spreadsheet on a\n"
    "                       Chinese Windows saves \"CSV\"; ansi, Windows' ANSI code page\n"
    "                       (elsewhere the locale's character set); auto (the default):\n"
    "                       UTF-8 if the text is UTF-8, else ansi on Windows and an\n"
    "                       error elsewhere. A console shows the characters either way.\n"
    "\n"
    "A byte-order mark is kept. A line that cannot be read (a quote that does not close,\n"
    "a field over 1 MiB, a NUL byte, bytes invalid in the encoding) gives an error line\n"
    "that says which line and field; a quote that does not close costs only its own line.\n"
    "\n"
    "In both modes:\n"
    "\n"
    "--motor-rating         add the motor to order: the smallest standard rating (IEC,\n"
    "                       0.06 to 1000 kW) at or above the lower motor power; above\n"
    "                       the largest, \">\" and the largest. A column in batch mode,\n"
    "                       a fourth line in single mode.\n"
    "--motor-ratings FILE   the same from a vendor's list, one rating per line, any order\n"
    "                       (written as the list writes them).\n"
    "--margin K             the motor to order for K times the shaft power (K at least\n"
    "                       1) instead of the lower motor power (1.1 times it): adds the\n"
    "                       required motor power K x N before the rating, as a column or\n"
    "                       a line. Implies --motor-rating.\n"
    "--specific-gravity SG  the liquid's specific gravity (relative density; water's is\n"
    "                       1): the shaft power becomes FLOW x HEAD x SG / (367.2 x\n"
    "                       EFFICIENCY x 0.01). SG is read as the values are, for every\n"
    "                       pump; in batch mode a fourth column of --columns gives each\n"
    "                       pump its own instead.\n"
    "--decimal-separator C  use the one byte C as the decimal separator of the inputs\n"
    "                       and results instead of the one of the current locale.\n"
    "--                     ends the options (for values that begin with \"-\").\n"
    "\n"
    "Example: a spreadsheet saved as pumps.csv,\n"
    "    pump,flow (m3/h),head (m),efficiency (%)\n"
    "    P-101,100,50,80\n"
    "gives with\n"
    "    pumpcalc-cli --format csv --header --columns 2,3,4 --motor-rating \\\n"
    "        --input pumps.csv --output results.csv\n"
    "    pump,flow (m3/h),head (m),efficiency (%),shaft power (kW),lower motor power (kW),\n"
    "        upper motor power (kW),motor rating (kW)\n"
    "    P-101,100,50,80,17.020697167756,18.7227668845316,20.4248366013072,22\n"
    "(each on one line).\n"
    "\n"
    "A hydrocarbon of specific gravity 0.85:\n"
    "    pumpcalc-cli --specific-gravity 0.85 100 50 80\n"
    "prints 14.4675925925926, 15.9143518518519 and 17.3611111111111 (for water\n"
    "17.020697167756, 18.7227668845316 and 20.4248366013072). A 15 kW pump whose motor\n"
    "is ordered with a margin of 1.25:\n"
    "    pumpcalc-cli --margin 1.25 110.16 40 80\n"
    "prints 15, 16.5 and 18, the required motor power 18.75 and the rating 22 (with\n"
    "--motor-rating alone the lower motor power, 16.5, orders 18.5).\n"
    "\n"
    "Usage errors, an input that cannot be read and an output that cannot be written\n"
    "exit with 2; --output is then left as it was.\n";

bool looksLikeOption(std::string_view arg) {
  // "-5", "-.5" and "-" alone are values; "--batch" and "-x" are options.
  return arg.size() >= 2 && arg[0] == '-' && !(arg[1] >= '0' && arg[1] <= '9') && arg[1] != '.' &&
         arg[1] != ',';
}

// A field separator can be neither part of a number's text nor of a line's structure.
bool usableFieldSeparator(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte != 0 && byte < 0x80 && c != '\r' && c != '\n' && c != '"' && c != '+' && c != '-' &&
         !(c >= '0' && c <= '9') && !((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
}

// Why an option's value cannot be taken, said after the option's name ("takes exactly one
// byte, not 'ab'"); none when it was taken.
using Refusal = std::optional<std::string>;

Refusal breaks(std::string_view rule, std::string_view value) {
  return std::string(rule) + ", not " + quoted(value);
}

template <auto byte>
Refusal setByte(Options& options, std::string_view value) {
  if (value.size() != 1) return breaks("takes exactly one byte", value);
  options.*byte = value[0];
  return {};
}

template <auto flag>
Refusal setFlag(Options& options, std::string_view) {
  options.*flag = true;
  return {};
}

template <auto text>
Refusal setText(Options& options, std::string_view value) {
  options.*text = std::string(value);
  return {};
}

Refusal takeFormat(Options& options, std::string_view value) {
  if (value != "tsv" && value != "csv") return breaks("is tsv or csv", value);
  options.format = value == "csv" ? TableFormat::csv : TableFormat::tsv;
  return {};
}

Refusal takeFieldSeparator(Options& options, std::string_view value) {
  if (value.size() == 1 && !usableFieldSeparator(value[0])) {
    return quoted(value) + ": a letter, digit, sign, quote or line break cannot separate fields";
  }
  return setByte<&Options::fieldSeparator>(options, value);
}

Refusal takeColumns(Options& options, std::string_view value) {
  auto selection = parseColumnSelection(value);
  if (auto* message = std::get_if<std::string>(&selection)) return *message;
  options.columns = std::get<ColumnSelection>(std::move(selection));
  return {};
}

Refusal takeThreads(Options& options, std::string_view value) {
  unsigned threads = 0;
  const char* const end = value.data() + value.size();
  const auto [stop, error] = std::from_chars(value.data(), end, threads);
  if (error != std::errc() || stop != end || threads < 1 || threads > 256) {
    return breaks("takes a number from 1 to 256", value);
  }
  options.threads = threads;
  return {};
}

Refusal takeEncoding(Options& options, std::string_view value) {
  const std::optional<EncodingChoice> encoding = parseEncodingName(value);
  if (!encoding) return breaks("is auto, utf-8, gb18030 or ansi", value);
  options.encoding = *encoding;
  return {};
}

Refusal askForHelp(Options& options, std::string_view) {
  options.mode = Mode::help;
  return {};
}

// One option: its name, whether a value follows it, whether it selects batch mode, and what
// it does to the options.
struct CommandOption {
  std::string_view name;
  bool takesValue;
  bool selectsBatch;
  Refusal (*take)(Options& options, std::string_view value);
};

// Every option, in the order --help describes them; "--" is the parser's own.
constexpr CommandOption optionTable[] = {
    {"--batch", false, true, [](Options&, std::string_view) -> Refusal { return {}; }},
    {"--format", true, true, takeFormat},
    {"--field-separator", true, true, takeFieldSeparator},
    {"--header", false, true, setFlag<&Options::header>},
    {"--columns", true, true, takeColumns},
    {"--input", true, true, setText<&Options::inputFile>},
    {"--output", true, true, setText<&Options::outputFile>},
    {"--threads", true, true, takeThreads},
    {"--encoding", true, true, takeEncoding},
    {"--motor-rating", false, false, setFlag<&Options::motorRating>},
    {"--motor-ratings", true, false, setText<&Options::motorRatingsFile>},
    {"--margin", true, false, setText<&Options::margin>},
    {"--specific-gravity", true, false, setText<&Options::specificGravity>},
    {"--decimal-separator", true, false, setByte<&Options::decimalSeparator>},
    {"--help", false, false, askForHelp},
    {"-h", false, false, askForHelp},
};

// What the options ask of each other and of the values, once all are read.
std::variant<Options, UsageError> combined(Options options,
                                           const std::vector<std::string_view>& values,
                                           std::string_view batchOption) {
  // The list of ratings and the margin choose the motor too.
  options.motorRating = options.motorRating || options.motorRatingsFile || options.margin;
  if (options.specificGravity && options.columns && options.columns->size() == 4) {
    return UsageError{
        "--specific-gravity and a fourth column of --columns both give the specific gravity: "
        "give one"};
  }
  if (!batchOption.empty()) {
    if (!values.empty()) {
      return UsageError{std::string(batchOption) +
                        " reads a schedule and takes no values (FLOW HEAD EFFICIENCY)"};
    }
    if (options.columns && namesColumns(*options.columns) && !options.header) {
      return UsageError{"--columns names columns: that needs --header"};
    }
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

// Every option is described in --help.
static_assert(std::all_of(std::begin(optionTable), std::end(optionTable),
                          [](const CommandOption& option) {
                            return help.find(option.name) != help.npos;
                          }));

}  // namespace

const char* const helpText = help.data();

std::variant<Options, UsageError> parseCommandLine(const std::vector<std::string_view>& args) {
  Options options;
  std::vector<std::string_view> values;
  std::string_view batchOption;  // the first option that selects batch mode
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (optionsEnded || !looksLikeOption(arg)) {
      values.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const auto* option =
        std::find_if(std::begin(optionTable), std::end(optionTable),
                     [arg](const CommandOption& entry) { return entry.name == arg; });
    if (option == std::end(optionTable)) return UsageError{"unknown option " + quoted(arg)};
    if (option->takesValue && i + 1 == args.size()) {
      return UsageError{std::string(arg) + " needs a value"};
    }
    const std::string_view value = option->takesValue ? args[++i] : std::string_view();
    if (option->selectsBatch && batchOption.empty()) batchOption = arg;
    if (const Refusal refusal = option->take(options, value)) {
      return UsageError{std::string(arg) + " " + *refusal};
    }
    if (options.mode == Mode::help) return options;
  }
  return combined(std::move(options), values, batchOption);
}

std::variant<ExtendedReal, UsageError> marginValue(std::string_view text) {
  const std::string given = "--margin " + quoted(text);
  ExtendedReal margin;
  if (!tryTextToExtended(text, margin)) {
    return UsageError{given + " is not a number (with the decimal separator " +
                      quoted(std::string_view(&DecimalSeparatorChar, 1)) + ")"};
  }
  FloatUnitState scratch;  // a denormal's flag is no concern of the caller's
  if (compare(margin, extendedFromInt64(1), scratch) < 0) {
    return UsageError{given +
                      " is below 1: the motor to order would be weaker than the pump's shaft "
                      "power"};
  }
  return margin;
}

std::variant<TableDialect, UsageError> batchDialect(const Options& options, char decimalSeparator) {
  TableDialect dialect{options.format, '\t'};
  if (options.fieldSeparator) {
    dialect.separator = *options.fieldSeparator;
  } else if (options.format == TableFormat::csv) {
    dialect.separator = decimalSeparator == ',' ? ';' : ',';
  }
  if (dialect.format == TableFormat::tsv && dialect.separator == decimalSeparator) {
    return UsageError{"the field separator " + quoted(std::string_view(&dialect.separator, 1)) +
                      " is the decimal separator: numbers could not be told apart (--format "
                      "csv quotes them)"};
  }
  return dialect;
}

}  // namespace pumpcalc::cli
