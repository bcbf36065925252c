// The version resource and the application manifest of the built programs, read back as
// Explorer and the loader read them: GetFileVersionInfoW / VerQueryValueW, and RT_MANIFEST
// from the file mapped as an image resource.
#include <windows.h>
//
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "tests/e2e/driver.h"
#include "tests/e2e/message_boxes.h"

namespace pumpcalc::packaging {
namespace {

using e2e::narrow;

struct Program {
  const wchar_t* fileName;
  const wchar_t* description;
  bool window;  // the window program: gdiScaling
};
const Program programs[] = {
    {L"pumpcalc.exe", L"泵功率的计算", true},
    {L"pumpcalc-cli.exe", L"pumpcalc command line: pump shaft power and motor power range", false},
};

TEST(VersionResource, CarriesTheProjectVersionAndTheTextsInBothLanguageBlocks) {
  // PUMPCALC_VERSION, from CMake's project(), as the four numbers of the fixed part.
  const std::string version = PUMPCALC_VERSION;
  DWORD numbers[4] = {};
  sscanf(version.c_str(), "%lu.%lu.%lu.%lu", &numbers[0], &numbers[1], &numbers[2], &numbers[3]);
  for (const Program& program : programs) {
    SCOPED_TRACE(narrow(program.fileName));
    const std::wstring path = e2e::programBesideThisOne(program.fileName);
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeW(path.c_str(), &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    const auto query = [&](const std::wstring& what, UINT* length = nullptr) -> const void* {
      void* value = nullptr;
      UINT size = 0;
      if (!VerQueryValueW(info.data(), what.c_str(), &value, &size)) return nullptr;
      if (length != nullptr) *length = size;
      return value;
    };

    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(query(L"\\"));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwFileVersionMS, numbers[0] << 16 | numbers[1]);
    EXPECT_EQ(fixed->dwFileVersionLS, numbers[2] << 16 | numbers[3]);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);

    // Simplified Chinese, then language-neutral; both UTF-16 (code page 1200).
    UINT length = 0;
    const auto* translations =
        static_cast<const WORD*>(query(L"\\VarFileInfo\\Translation", &length));
    ASSERT_NE(translations, nullptr);
    EXPECT_EQ(std::vector<WORD>(translations, translations + length / sizeof(WORD)),
              (std::vector<WORD>{0x0804, 1200, 0x0000, 1200}));

    const std::wstring wideVersion(version.begin(), version.end());
    const std::pair<const wchar_t*, std::wstring> expected[] = {
        {L"ProductName", L"pumpcalc"},
        {L"FileDescription", program.description},
        {L"FileVersion", wideVersion},
        {L"ProductVersion", wideVersion},
        {L"OriginalFilename", program.fileName},
        {L"LegalCopyright", L"Copyright (c) 2026 pumpcalc contributors"},
    };
    for (const wchar_t* block : {L"080404b0", L"000004b0"}) {
      for (const auto& [key, text] : expected) {
        const auto* value = static_cast<const wchar_t*>(
            query(std::wstring(L"\\StringFileInfo\\") + block + L"\\" + key, &length));
        EXPECT_EQ(value != nullptr ? std::wstring(value, wcsnlen(value, length)) : L"<none>", text)
            << narrow(block) << " " << narrow(key);
      }
    }
  }
}

// Whether the text is well-formed XML as far as a manifest goes: a declaration, comments,
// elements that nest and close, quoted attribute values, one root element.
bool wellFormedXml(std::string_view xml) {
  std::vector<std::string_view> open;
  int roots = 0;
  for (std::size_t at = xml.find('<'); at != std::string_view::npos; at = xml.find('<', at)) {
    const bool comment = xml.substr(at, 4) == "<!--", declaration = xml.substr(at, 2) == "<?";
    std::size_t end = comment ? xml.find("-->", at) : declaration ? xml.find("?>", at) : at + 1;
    for (char quote = 0; !comment && !declaration && end < xml.size(); ++end) {
      if (quote == 0 && xml[end] == '>') break;
      if (quote == 0 && xml[end] == '<') return false;
      if (xml[end] == '"' || xml[end] == '\'') quote = quote == 0 ? xml[end] : 0;
    }
    if (end >= xml.size()) return false;
    if (!comment && !declaration) {
      const std::string_view tag = xml.substr(at + 1, end - at - 1);
      const bool closing = tag.starts_with('/');
      const std::string_view name = tag.substr(closing, tag.find_first_of(" \t\r\n/", 1) - closing);
      if (closing) {
        if (open.empty() || open.back() != name) return false;
        open.pop_back();
      } else {
        roots += open.empty();
        if (!tag.ends_with('/')) open.push_back(name);
      }
    }
    at = end + 1;
  }
  return open.empty() && roots == 1;
}

TEST(Manifest, OneManifestOfOurOwnWithTheSettingsEachProgramNeeds) {
  const char* const expectedParts[] = {
      R"(<requestedExecutionLevel level="asInvoker")",
      "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
      "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // Windows 8
      "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // Windows 8.1
      "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // Windows 10 and 11
  };
  const std::string gdiScaling =
      R"(<gdiScaling xmlns="http://schemas.microsoft.com/SMI/2017/WindowsSettings">true</gdiScaling>)";
  const auto countName = [](HMODULE, LPCWSTR, LPWSTR, LONG_PTR counter) -> BOOL {
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
  };
  const auto countLanguage = [](HMODULE, LPCWSTR, LPCWSTR, WORD, LONG_PTR counter) -> BOOL {
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
  };
  for (const Program& program : programs) {
    SCOPED_TRACE(narrow(program.fileName));
    const platform::UniqueModule module(
        LoadLibraryExW(e2e::programBesideThisOne(program.fileName).c_str(), nullptr,
                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(module) << GetLastError();
    // Exactly one, id 1, in one language: no toolchain's default manifest beside ours.
    int names = 0, languages = 0;
    EnumResourceNamesW(module.get(), RT_MANIFEST, countName, reinterpret_cast<LONG_PTR>(&names));
    EnumResourceLanguagesW(module.get(), RT_MANIFEST, MAKEINTRESOURCEW(1), countLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(names, 1);
    EXPECT_EQ(languages, 1);
    HRSRC found = FindResourceW(module.get(), MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    const char* data = static_cast<const char*>(LockResource(LoadResource(module.get(), found)));
    ASSERT_NE(data, nullptr);
    const std::string xml(data, SizeofResource(module.get(), found));

    EXPECT_TRUE(wellFormedXml(xml)) << xml;
    EXPECT_FALSE(wellFormedXml(xml.substr(0, xml.size() - 4))) << "the check itself";
    for (const char* part : expectedParts) EXPECT_NE(xml.find(part), std::string::npos) << part;
    // Classic controls, and no DPI awareness (docs/windows-integration.md).
    EXPECT_EQ(xml.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_EQ(xml.find("dpiAware"), std::string::npos);
    EXPECT_EQ(xml.find(gdiScaling) != std::string::npos, program.window);
  }
}

}  // namespace
}  // namespace pumpcalc::packaging
