// The encodings of a schedule: what "auto" takes for UTF-8, and on Windows a spreadsheet of
// the ANSI code page against the system's own conversion.
#include "cli/encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "cli/gb18030.h"
#include "tests/cli/batch_differential.h"
#include "tests/cli/batch_io.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace pumpcalc::cli {
namespace {

using clitest::escaped;
TEST(Encoding, AutoTakesUtf8WhereTheTextIsUtf8) {
  struct Case {
    std::string_view head;
    bool whole;
    bool utf8;
  };
  const Case cases[] = {
      {"", true, true},
      {"100\t50\t80\n", true, true},
      {"\xEF\xBB\xBF\xB1\xC3", true, true},  // a byte-order mark decides
      {"泵,Q\n", true, true},
      {"泵,Q\n\xE6\xB3", false, true},           // cut short by the look-ahead's end
      {"泵,Q\n\xE6\xB3", true, false},           // cut short by the input's end
      {"\xB1\xC3,Q\n", true, false},             // GBK
      {"P-1,\xD2\xBB\xBA\xC5\n", false, false},  // GBK after ASCII
      {"\xC0\xAF", true, false},                 // overlong
  };
  for (const Case& c : cases) {
    EXPECT_EQ(looksLikeUtf8(c.head, c.whole), c.utf8) << escaped(c.head);
  }
  EXPECT_EQ(parseEncodingName("GBK"), EncodingChoice::gb18030);
  EXPECT_EQ(parseEncodingName("UTF-8"), EncodingChoice::utf8);
  EXPECT_FALSE(parseEncodingName("latin1"));
}

// A sequence that the end of one write cuts short is encoded with the next.
TEST(Encoding, TextWrittenInPiecesIsEncodedAsAWhole) {
  Gb18030Codec codec;
  const std::string written = "P泵\xF0\xA0\x82\x87,\xC2\x80\r\n";
  for (std::size_t cut = 0; cut <= written.size(); ++cut) {
    test::StringSink sink;
    EncodingSink encoded(sink, codec);
    encoded.write(written.data(), cut);
    encoded.write(written.data() + cut, written.size() - cut);
    EXPECT_EQ(escaped(sink.text), escaped("P\xB1\xC3\xFE\x51,\x81\x30\x81\x30\r\n"))
        << "cut at " << cut;
  }
}

#ifdef _WIN32

std::string inCodePage(UINT codePage, std::string_view utf8) {
  std::wstring wide(utf8.size(), L'\0');
  wide.resize(static_cast<std::size_t>(
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                          static_cast<int>(wide.size()))));
  std::string bytes(2 * wide.size(), '\0');
  bytes.resize(static_cast<std::size_t>(
      WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(),
                          static_cast<int>(bytes.size()), nullptr, nullptr)));
  return bytes;
}

// A spreadsheet saved as plain CSV on this Windows gives the UTF-8 run's output in its code
// page, as the system converts it (code page 936 under the tests' Wine).
TEST(Encoding, TheAnsiCodePageReadsAsTheSystemConvertsIt) {
  // A long run of the euro sign, one byte in code page 936 and three in UTF-8.
  std::string euros;
  for (int i = 0; i < 1000; ++i) euros += "€";
  const std::string utf8 =
      "泵号,流量,扬程,效率\r\n一号泵,100,50,80\r\n\"备用, “二号”\",12,5,x\r\n" + euros +
      ",1,2,\r\n";
  std::string error;
  std::unique_ptr<platform::TextCodec> codec = platform::systemTextCodec(error);
  ASSERT_TRUE(codec) << "the ANSI code page is UTF-8 here" << error;
  BatchSettings settings = test::csv();
  settings.header = true;
  settings.columns = test::columns("2,3,4");
  const test::BatchRun expected = test::runOn(utf8, settings);
  settings.encoding = codec.get();
  const test::BatchRun run = test::runOn(inCodePage(GetACP(), utf8), settings);
  EXPECT_EQ(escaped(run.output), escaped(inCodePage(GetACP(), expected.output)));
  EXPECT_EQ(run.summary.failedLines, 2u);
}

#endif

}  // namespace
}  // namespace pumpcalc::cli
