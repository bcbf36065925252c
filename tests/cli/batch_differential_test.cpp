// The batch against the plain reference reader over generated schedules: TSV and CSV, both
// decimal separators, header or not, --columns, the specific gravity as a fourth column or
// for every line, the motor rating and a margin, every line end, a byte-order mark or not,
// UTF-8 or GB18030; fields that hold every byte value at every offset from a word boundary;
// one thread with whole reads, and several threads with chunks and reads of a few bytes.
#include "tests/cli/batch_differential.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/decimal_parse.h"
#include "core/motor_rating.h"
#include "tests/core/test_values.h"
#include "tests/support/rng.h"

namespace pumpcalc::clitest {
namespace {

using pumpcalc::test::Rng;

template <class T, std::size_t N>
const T& pick(Rng& rng, const std::array<T, N>& items) {
  return items[rng.below(N)];
}

struct Schedule {
  std::string input;
  ReferenceSettings settings;  // its ratings and margin still to be set, as the scope is
  char decimalSeparator = '.';
  bool ratings = false;
  std::string margin;  // --margin's text with the decimal separator, or empty
};

class ScheduleGenerator {
 public:
  // With `gb18030`, a quarter of the schedules are GB18030, converted by it.
  ScheduleGenerator(std::uint64_t seed, SystemGb18030* gb18030) : rng_(seed), system_(gb18030) {}

  // Settings first, then 1 to 40 lines.
  Schedule next() {
    Schedule s;
    ReferenceSettings& settings = s.settings;
    gb18030_ = system_ != nullptr && rng_.percent(25);
    if (gb18030_) settings.gb18030 = system_;
    s.decimalSeparator = rng_.percent(50) ? '.' : ',';
    settings.csv = rng_.percent(50);
    if (settings.csv) {
      settings.separator = rng_.percent(85) ? (s.decimalSeparator == ',' ? ';' : ',')
                                            : pick(rng_, std::array{'|', '\t', ',', ';'});
    } else {
      settings.separator = rng_.percent(85) ? '\t' : pick(rng_, std::array{'|', ';', ' '});
      if (settings.separator == s.decimalSeparator) settings.separator = '\t';
    }
    separator_ = settings.separator;
    decimal_ = s.decimalSeparator;
    csv_ = settings.csv;
    s.ratings = rng_.percent(30);
    if (rng_.percent(20)) {
      s.margin = pick(rng_, std::array<std::string, 3>{"1.1", "1.25", "1e4930"});
      std::replace(s.margin.begin(), s.margin.end(), '.', decimal_);
    }

    std::size_t width = 3;
    std::vector<std::size_t> columns{0, 1, 2};  // and the specific gravity's, at times
    const bool gravityColumn = rng_.percent(20);
    // A command-line value is UTF-8, whatever the schedule's encoding: with a GB18030
    // schedule it holds no unusual piece.
    if (!gravityColumn && rng_.percent(15)) settings.specificGravity = number(!gb18030_);
    if (gravityColumn || rng_.percent(40)) {
      width = 3 + rng_.below(3);
      if (gravityColumn) columns.push_back(3);
      for (std::size_t& column : columns) column = rng_.below(width);
      settings.columns.emplace();
      for (const std::size_t column : columns) settings.columns->push_back({column + 1, {}});
    }
    lineEnd_ = pick(rng_, std::array{"\n", "\r\n", "mixed"});
    if (rng_.percent(20)) s.input += gb18030_ ? "\x84\x31\x95\x33" : "\xEF\xBB\xBF";
    if (rng_.percent(30)) {
      settings.header = true;
      std::vector<std::string> names;
      for (std::size_t i = 0; i < width; ++i) names.push_back("c" + std::to_string(i));
      if (rng_.percent(50)) names[rng_.below(width)] = "流量 Q";
      if (rng_.percent(5)) names.pop_back();  // a chosen column may then be missing
      // --columns names them in UTF-8, whatever the schedule's encoding.
      if (settings.columns && rng_.percent(50)) {
        for (std::size_t k = 0; k < columns.size(); ++k) {
          if (rng_.percent(50) && columns[k] < names.size()) {
            (*settings.columns)[k] = {0, names[columns[k]]};
          }
        }
      }
      for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) s.input += separator_;
        s.input += names[i] == "流量 Q" && gb18030_ ? "\xC1\xF7\xC1\xBF Q" : names[i];
      }
      s.input += lineEnd();
    }
    const std::size_t lines = 1 + rng_.below(40);
    for (std::size_t line = 0; line < lines; ++line) {
      std::size_t fields = width;
      if (rng_.percent(10)) fields = rng_.below(width + 2);
      for (std::size_t i = 0; i < fields; ++i) {
        if (i > 0) s.input += separator_;
        const bool chosen =
            std::find(columns.begin(), columns.end(), i) != columns.end() || rng_.percent(30);
        s.input += field(chosen ? number() : filler());
      }
      if (line + 1 < lines || rng_.percent(70)) s.input += lineEnd();
    }
    return s;
  }

 private:
  std::string lineEnd() {
    if (lineEnd_ != "mixed") return lineEnd_;
    return rng_.percent(50) ? "\n" : "\r\n";
  }

  // A number's text in many shapes, with spaces around it at times.
  std::string number(bool unusual = true) {
    std::string text;
    if (rng_.percent(10)) text.append(rng_.below(12), ' ');
    if (rng_.percent(15)) text += rng_.percent(50) ? '-' : '+';
    const std::size_t whole = rng_.below(8), fraction = rng_.percent(50) ? rng_.below(8) : 0;
    for (std::size_t i = 0; i < whole; ++i) text += static_cast<char>('0' + rng_.below(10));
    if (fraction > 0 || rng_.percent(10)) text += decimal_;
    for (std::size_t i = 0; i < fraction; ++i) text += static_cast<char>('0' + rng_.below(10));
    if (rng_.percent(10)) text += "e" + std::to_string(static_cast<int>(rng_.below(40)) - 20);
    if (rng_.percent(10)) text.append(rng_.below(12), ' ');
    if (unusual && rng_.percent(20)) insertUnusual(text);
    return text;
  }

  // A copied column: text of any kind.
  std::string filler() {
    std::string text = pick(rng_, std::array<std::string, 4>{"P-101", "泵 1", "", "spare"});
    if (gb18030_ && text == "泵 1") text = "\xB1\xC3 1";
    for (std::size_t i = rng_.below(3); i > 0; --i) insertUnusual(text);
    return text;
  }

  // Puts one unusual piece anywhere in `text`: valid UTF-8 of every length, a no-break
  // space, any single byte (NUL, control bytes, 0x80 to 0xFF, the separator, quotes, line
  // ends), after a run of spaces that moves it across a word. In GB18030: codes of two bytes
  // (one whose second byte is '|' or '\\'), of four bytes in every plane, codes invalid
  // there or cut short, and single bytes.
  void insertUnusual(std::string& text) {
    static const std::array<std::string, 10> utf8Pieces = {
        "泵", "\xC2\xA0",         "\xF0\x9F\x98\x80", "\xC3\xA9", "\xEF\xBF\xBF",
        "\"", "\xF4\x8F\xBF\xBF", "\xE0\xA0\x80",     "abc",      "\r"};
    static const std::array<std::string, 15> gb18030Pieces = {
        "\xB1\xC3",          // 泵
        "\x81\x7C",          // two bytes, the second '|'
        "\x81\x5C",          // and '\\'
        "\x95\x32\x82\x36",  // four bytes: plane 2
        "\x81\x30\x81\x30",  // U+0080
        "\xE3\x32\x9A\x35",  // U+10FFFF
        "\xA6\xD9",          // U+FE10 in two bytes
        "\xFE\x51",          // U+20087, in two bytes
        "\x84\x31\x82\x36",  // the four bytes U+FE10 had: invalid
        "\xFE\x39\xFE\x39",  // beyond U+10FFFF
        "\x81\x30\x81",      // cut short
        "\x81\xFF",          // a lead byte followed by bytes no code holds there
        "\x81\x7F",         "\"", "\r"};
    std::string piece(rng_.below(9), ' ');
    if (!rng_.percent(60)) {
      piece += static_cast<char>(rng_.below(256));
    } else if (gb18030_) {
      piece += pick(rng_, gb18030Pieces);
    } else {
      piece += pick(rng_, utf8Pieces);
    }
    text.insert(rng_.below(text.size() + 1), piece);
  }

  // In CSV a field is quoted at times (a quote inside doubled), and now and then malformed.
  std::string field(std::string text) {
    if (!csv_ || !rng_.percent(25)) return text;
    std::string quoted = "\"";
    for (const char c : text) {
      quoted += c;
      if (c == '"') quoted += '"';
    }
    if (rng_.percent(20)) quoted += pick(rng_, std::array<std::string, 3>{"\n", "\r\n", sep()});
    if (rng_.percent(95)) quoted += '"';
    if (rng_.percent(5)) quoted += "x";
    return quoted;
  }
  std::string sep() const { return std::string(1, separator_); }

  Rng rng_;
  SystemGb18030* system_;
  bool gb18030_ = false;
  char separator_ = '\t', decimal_ = '.';
  bool csv_ = false;
  std::string lineEnd_;
};

// Which byte values the inputs held, and at which offsets from a word boundary of their
// record bytes of 0x80 and above stood.
struct Coverage {
  std::array<bool, 256> bytes{};
  std::array<bool, 8> highByteOffsets{};

  void add(std::string_view input) {
    std::size_t recordStart = 0;
    for (std::size_t i = 0; i < input.size(); ++i) {
      const auto byte = static_cast<unsigned char>(input[i]);
      bytes[byte] = true;
      if (byte >= 0x80) highByteOffsets[(i - recordStart) % 8] = true;
      if (byte == '\n') recordStart = i + 1;
    }
  }
  bool complete() const {
    return std::all_of(bytes.begin(), bytes.end(), [](bool b) { return b; }) &&
           std::all_of(highByteOffsets.begin(), highByteOffsets.end(), [](bool b) { return b; });
  }
};

TEST(BatchDifferential, GeneratedSchedulesReadAsThePlainReaderReadsThem) {
  // Without a GB18030 converter of the system's (Wine), UTF-8 schedules alone.
  const std::unique_ptr<SystemGb18030> gb18030 = SystemGb18030::open();
  ScheduleGenerator generator(0x5C4E'D01E, gb18030.get());
  Rng shapes(0xC4u);
  Coverage coverage;
  int failures = 0;
  for (int i = 0; i < 600 && failures < 5; ++i) {
    Schedule schedule = generator.next();
    pumpcalc::test::SeparatorScope scope(schedule.decimalSeparator);
    const MotorRatings ratings = standardMotorRatings();  // written with the separator
    if (schedule.ratings) schedule.settings.ratings = &ratings;
    if (!schedule.margin.empty()) {
      schedule.settings.margin.emplace();
      ASSERT_TRUE(tryTextToExtended(schedule.margin, *schedule.settings.margin));
    }
    coverage.add(schedule.input);

    const ReferenceResult expected = referenceBatch(schedule.input, schedule.settings);
    std::vector<std::size_t> reads;
    for (int k = 0; k < 5; ++k) reads.push_back(1 + shapes.below(7));
    const RunShape runs[] = {
        {1, std::size_t{1} << 18, {}},
        {static_cast<unsigned>(2 + shapes.below(3)), 1 + shapes.below(80), reads},
    };
    // Water's specific gravity changes nothing.
    ReferenceSettings water = schedule.settings;
    const bool gravity = water.specificGravity || (water.columns && water.columns->size() == 4);
    water.specificGravity.emplace("1");
    for (const RunShape& shape : runs) {
      std::string difference =
          differenceFromReference(schedule.input, schedule.settings, expected, shape);
      if (difference.empty() && !gravity && shape.threads == 1) {
        difference = differenceFromReference(schedule.input, water, expected, shape);
      }
      if (!difference.empty()) {
        ++failures;
        ADD_FAILURE() << "schedule " << i << " " << difference
                      << "\n  input: " << escaped(schedule.input.substr(0, 400));
      }
    }
  }
  EXPECT_TRUE(coverage.complete()) << "the generator missed a byte value or a word offset";
}

// Lines of real schedules that were split where they hold no separator: each field gives
// what the window gives for it, in TSV and in CSV, and the reference agrees.
TEST(BatchDifferential, FieldsBeyondAsciiAreSplitAtTheSeparatorOnly) {
  pumpcalc::test::SeparatorScope point('.');
  const MotorRatings ratings = standardMotorRatings();
  struct Case {
    std::vector<std::string> fields;
    std::string results;   // what follows the fields, separated by tabs
    bool columns = false;  // flow, head, efficiency in columns 2 to 4, with a rating
  };
  const Case cases[] = {
      {{"0.99", "1", "12泵"}, "error\t'12泵' is not a valid floating point value"},
      {{"1931.6353", " 12 ", "12泵"}, "error\t'12泵' is not a valid floating point value"},
      {{"3750", "1",
        "\xC2\xA0"
        "12"},
       "error\t'\xC2\xA0"
       "12' is not a valid floating point value"},
      {{"35.880", "427157", "泵"}, "error\t'泵' is not a valid floating point value"},
      {{"泵 P-1 \xF0\x9F\x98\x80", "100", "50", "80"},
       "17.020697167756\t18.7227668845316\t20.4248366013072\t22",
       true},
  };
  for (const Case& c : cases) {
    for (const bool csv : {false, true}) {
      ReferenceSettings settings;
      settings.csv = csv;
      settings.separator = csv ? ',' : '\t';
      if (c.columns) {
        settings.columns = {{2, {}}, {3, {}}, {4, {}}};
        settings.ratings = &ratings;
      }
      std::string line = c.fields[0], results = c.results;
      for (std::size_t i = 1; i < c.fields.size(); ++i) line += settings.separator + c.fields[i];
      std::replace(results.begin(), results.end(), '\t', settings.separator);
      const std::string expected = line + settings.separator + results + "\n";
      EXPECT_EQ(referenceBatch(line + "\n", settings).output, expected);
      for (const RunShape& shape : {RunShape{}, RunShape{1, 1, {1, 7, 2}}}) {
        const ReferenceResult reference{expected, 1, c.columns ? 0u : 1u, {}};
        EXPECT_EQ(differenceFromReference(line + "\n", settings, reference, shape), "");
      }
    }
  }
}

}  // namespace
}  // namespace pumpcalc::clitest
