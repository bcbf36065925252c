#include "core/string_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/text_encoding.h"
#include "platform/win32/unique_handle.h"
#endif

namespace pumpcalc {
namespace {

struct Entry {
  int id;
  std::string text;
};

// The list as the program holds it.
const std::vector<Entry> listedTable = {
#define PUMPCALC_STRING(name, number, text) {number, text},
#include "core/strings.def"
#undef PUMPCALC_STRING
};

TEST(StringTable, HoldsEveryListedTextAtItsNumber) {
  EXPECT_EQ(listedTable.size(), 59u);
  for (const Entry& entry : listedTable) {
    EXPECT_EQ(loadResString(entry.id), entry.text) << entry.id;
  }
  for (int unused : {0, 1, 65343, 65376, 65473, 65520}) {
    EXPECT_EQ(loadResString(unused), "") << unused;
  }
}

TEST(StringTable, TextsThatMessagesAreMadeFrom) {
  EXPECT_EQ(loadResString(sInvalidFloatingPointValue), "'%s' is not a valid floating point value");
  EXPECT_EQ(loadResString(sExceptionInModule), "Exception %s in module %s at %p.\r\n%s%s\r\n");
  EXPECT_EQ(loadResString(sOSError), "System Error.  Code: %d.\r\n%s");
  EXPECT_EQ(loadResString(sNoToAllButton), "N&o to All");
}

#ifdef _WIN32
// The window program carries the list, as built, as its string-table resource.
TEST(StringTable, TheWindowProgramsResourceIsTheList) {
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, length);
  path = path.substr(0, path.find_last_of(L"\\/") + 1) + L"pumpcalc.exe";
  const platform::UniqueModule program(
      LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(program) << platform::toUtf8(path);
  for (const Entry& entry : listedTable) {
    const wchar_t* text = nullptr;
    const int count = LoadStringW(program.get(), static_cast<UINT>(entry.id),
                                  reinterpret_cast<wchar_t*>(&text), 0);
    EXPECT_EQ(platform::toUtf8(std::wstring_view(text, count > 0 ? count : 0)), entry.text)
        << entry.id;
  }
}
#endif

}  // namespace
}  // namespace pumpcalc
