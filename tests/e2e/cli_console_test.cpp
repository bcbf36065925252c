// pumpcalc-cli.exe in a console window, as a user of a Chinese or an English Windows meets
// it: the program runs in a new console of each code page, and what the console shows is
// read back from its screen; a schedule is typed into it key by key.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/unique_handle.h"

namespace {

namespace fs = std::filesystem;

// Wine and Windows lay a wide character out in one or two cells and may leave blanks where
// a line wraps or a tab stops: a line is compared with runs of blanks made one and trimmed.
std::wstring normalized(std::wstring_view line) {
  std::wstring text;
  for (const wchar_t c : line) {
    const bool blank = c == L' ' || c == L'\t';
    if (blank && (text.empty() || text.back() == L' ')) continue;
    text += blank ? L' ' : c;
  }
  while (!text.empty() && text.back() == L' ') text.pop_back();
  return text;
}

std::string narrow(std::wstring_view text) {
  std::string out;
  for (const wchar_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char hex[12];
      std::snprintf(hex, sizeof hex, "<U+%04X>", static_cast<unsigned>(c));
      out += hex;
    }
  }
  return out;
}

fs::path programFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return fs::path(std::wstring(path, length)).parent_path();
}

// A console of its own for this process, in one code page, into which pumpcalc-cli.exe is
// started. The test program leaves the console it had (none, under CTest).
class Console {
 public:
  explicit Console(UINT codePage) {
    FreeConsole();
    if (!AllocConsole()) return;
    SetConsoleCP(codePage);
    SetConsoleOutputCP(codePage);
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    input_.reset(CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0,
                             nullptr));
    output_.reset(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0,
                              nullptr));
    // Wide enough that no line of the tests wraps.
    SetConsoleScreenBufferSize(output_.get(), COORD{200, 300});
  }
  ~Console() {
    input_.reset();
    output_.reset();
    FreeConsole();
  }
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  bool ready() const { return input_ && output_; }
  UINT codePage() const { return GetConsoleOutputCP(); }

  // Puts `text` into the console's input as the keys that type it; Ctrl+Z is typed as such.
  void type(std::wstring_view text) {
    std::vector<INPUT_RECORD> keys;
    for (const wchar_t c : text) {
      for (const BOOL down : {TRUE, FALSE}) {
        INPUT_RECORD key{};
        key.EventType = KEY_EVENT;
        key.Event.KeyEvent.bKeyDown = down;
        key.Event.KeyEvent.wRepeatCount = 1;
        key.Event.KeyEvent.uChar.UnicodeChar = c;
        key.Event.KeyEvent.wVirtualKeyCode = c == L'\r' ? VK_RETURN : c == 0x1A ? 'Z' : 0;
        key.Event.KeyEvent.dwControlKeyState = c == 0x1A ? LEFT_CTRL_PRESSED : 0;
        keys.push_back(key);
      }
    }
    DWORD written = 0;
    WriteConsoleInputW(input_.get(), keys.data(), static_cast<DWORD>(keys.size()), &written);
  }

  // Runs pumpcalc-cli.exe with `arguments` in this console, in `folder`, until it ends;
  // returns its exit code, or -1 when it could not be run or did not end within a minute.
  long run(const std::wstring& arguments, const fs::path& folder) {
    std::wstring command =
        L"\"" + (programFolder() / L"pumpcalc-cli.exe").wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input_.get();
    startup.hStdOutput = output_.get();
    startup.hStdError = output_.get();
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        folder.wstring().c_str(), &startup, &process)) {
      return -1;
    }
    const pumpcalc::platform::UniqueKernelHandle thread(process.hThread), program(process.hProcess);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(program.get(), 60'000) == WAIT_OBJECT_0) {
      GetExitCodeProcess(program.get(), &code);
    } else {
      TerminateProcess(program.get(), 1);
    }
    return static_cast<long>(code);
  }

  // The lines of the screen up to the cursor, each normalized.
  std::vector<std::wstring> lines() const {
    CONSOLE_SCREEN_BUFFER_INFO information{};
    GetConsoleScreenBufferInfo(output_.get(), &information);
    std::vector<std::wstring> result;
    for (SHORT row = 0; row <= information.dwCursorPosition.Y; ++row) {
      std::wstring cells(static_cast<std::size_t>(information.dwSize.X), L' ');
      DWORD read = 0;
      ReadConsoleOutputCharacterW(output_.get(), cells.data(), static_cast<DWORD>(cells.size()),
                                  COORD{0, row}, &read);
      cells.resize(read);
      result.push_back(normalized(cells));
    }
    return result;
  }

 private:
  pumpcalc::platform::UniqueFile input_, output_;
};

// Which lines of `expected` the screen lacks, for the failure message.
std::string missing(const std::vector<std::wstring>& screen,
                    const std::vector<std::wstring>& expected) {
  std::string text;
  for (const std::wstring& line : expected) {
    if (std::find(screen.begin(), screen.end(), normalized(line)) == screen.end()) {
      text += "\n  missing: " + narrow(normalized(line));
    }
  }
  if (!text.empty()) {
    text += "\n  screen:";
    for (const std::wstring& line : screen) text += "\n    " + narrow(line);
  }
  return text;
}

class ConsoleOfCodePage : public testing::TestWithParam<UINT> {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / (L"pumpcalc-console-" + std::to_wstring(GetParam()) +
                                           L"-" + std::to_wstring(GetCurrentProcessId()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  // A file in the test's folder, written as UTF-8.
  void write(const std::wstring& name, std::string_view text) {
    std::ofstream(folder_ / name, std::ios::binary) << text;
  }

  fs::path folder_;
};

struct Case {
  const char* name;
  std::wstring arguments;
  std::wstring typed;  // into the console before the program reads
  long exitCode;
  std::vector<std::wstring> lines;  // each somewhere on the screen
};

TEST_P(ConsoleOfCodePage, ShowsWhatTheProgramWritesAsItsCharacters) {
  // A schedule as a spreadsheet saves it, in UTF-8 and in GB18030 (written as its bytes).
  write(L"泵表.csv", "泵,Q,H,eta\r\n一号泵,100,50,80\r\n\"备用, 二号\",12,5,x\r\n");
  write(L"gb.csv",
        "\xB1\xC3,Q,H,eta\r\n\xD2\xBB\xBA\xC5\xB1\xC3,100,50,80\r\n"
        "\"\xB1\xB8\xD3\xC3, \xB6\xFE\xBA\xC5\",12,5,x\r\n");
  const std::vector<std::wstring> scheduleLines = {
      L"泵,Q,H,eta,shaft power (kW),lower motor power (kW),upper motor power (kW)",
      L"一号泵,100,50,80,17.020697167756,18.7227668845316,20.4248366013072",
      L"\"备用, 二号\",12,5,x,error,'x' is not a valid floating point value"};
  const std::wstring csv = L"--format csv --header --columns 2,3,4 --decimal-separator . ";
  const Case cases[] = {
      {"one pump",
       L"100 50 80",
       {},
       0,
       {L"17.020697167756", L"18.7227668845316", L"20.4248366013072"}},
      {"a message quoting Chinese",
       L"12泵 1 1",
       {},
       1,
       {L"'12泵' is not a valid floating point value"}},
      {"a file name in Chinese",
       L"--batch --input 不存在的泵表.csv",
       {},
       2,
       {L"pumpcalc-cli: cannot open '不存在的泵表.csv': No such file or directory"}},
      {"result lines", csv + L"--input 泵表.csv", {}, 1, scheduleLines},
      {"result lines of a GB18030 schedule",
       csv + L"--encoding gb18030 --input gb.csv",
       {},
       1,
       scheduleLines},
      {"a typed schedule", csv, L"泵,Q,H,eta\r一号泵,100,50,80\r\"备用, 二号\",12,5,x\r\x1A\r", 1,
       scheduleLines},
  };
  for (const Case& c : cases) {
    Console console(GetParam());
    ASSERT_TRUE(console.ready()) << "no console";
    ASSERT_EQ(console.codePage(), GetParam());
    if (!c.typed.empty()) console.type(c.typed);
    EXPECT_EQ(console.run(c.arguments, folder_), c.exitCode) << c.name;
    const std::string lacking = missing(console.lines(), c.lines);
    EXPECT_TRUE(lacking.empty()) << c.name << " in code page " << GetParam() << lacking;
  }
}

// Chinese Windows, UTF-8 (chcp 65001), the US and western European code pages.
INSTANTIATE_TEST_SUITE_P(CodePages, ConsoleOfCodePage, testing::Values(936u, 65001u, 437u, 1252u));

}  // namespace
