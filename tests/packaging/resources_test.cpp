// The version resource and the application manifest of the built programs, read back as
// Explorer and the loader read them: GetFileVersionInfoW / VerQueryValueW, and RT_MANIFEST
// from the file mapped as an image resource.
#include <windows.h>
//
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/e2e/driver.h"
#include "tests/e2e/message_boxes.h"

namespace pumpcalc::packaging {
namespace {

struct Program {
  const wchar_t* fileName;
  const wchar_t* description;
  bool window;  // the window program: gdiScaling
};
const Program programs[] = {
    {L"pumpcalc.exe", L"泵功率的计算", true},
    {L"pumpcalc-cli.exe", L"pumpcalc command line: pump shaft power and motor power range", false},
};

std::wstring widen(std::string_view text) { return std::wstring(text.begin(), text.end()); }

// The project version (PUMPCALC_VERSION, from CMake) as the four numbers of the fixed part.
std::vector<WORD> versionNumbers() {
  std::vector<WORD> numbers;
  std::string_view rest = PUMPCALC_VERSION;
  while (!rest.empty()) {
    const std::size_t dot = rest.find('.');
    numbers.push_back(static_cast<WORD>(std::stoi(std::string(rest.substr(0, dot)))));
    rest = dot == std::string_view::npos ? std::string_view{} : rest.substr(dot + 1);
  }
  numbers.resize(4, 0);
  return numbers;
}

std::vector<char> versionInfo(const std::wstring& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  std::vector<char> data(size);
  if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return {};
  return data;
}

std::optional<std::wstring> stringValue(const std::vector<char>& info, std::wstring_view block,
                                        std::wstring_view key) {
  const std::wstring query =
      L"\\StringFileInfo\\" + std::wstring(block) + L"\\" + std::wstring(key);
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(info.data(), query.c_str(), &value, &length)) return std::nullopt;
  const auto* text = static_cast<const wchar_t*>(value);
  return std::wstring(text, wcsnlen(text, length));
}

TEST(VersionResource, CarriesTheProjectVersionAndTheTextsInBothLanguageBlocks) {
  const std::vector<WORD> version = versionNumbers();
  for (const Program& program : programs) {
    SCOPED_TRACE(testing::Message() << "program " << e2e::narrow(program.fileName));
    const std::vector<char> info = versionInfo(e2e::programBesideThisOne(program.fileName));
    ASSERT_FALSE(info.empty());

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", &value, &length));
    const auto& fixed = *static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, DWORD(version[0]) << 16 | version[1]);
    EXPECT_EQ(fixed.dwFileVersionLS, DWORD(version[2]) << 16 | version[3]);
    EXPECT_EQ(fixed.dwProductVersionMS, fixed.dwFileVersionMS);
    EXPECT_EQ(fixed.dwProductVersionLS, fixed.dwFileVersionLS);
    EXPECT_EQ(fixed.dwFileType, DWORD(VFT_APP));

    // Simplified Chinese, then language-neutral; both UTF-16 (code page 1200).
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", &value, &length));
    const auto* translations = static_cast<const WORD*>(value);
    EXPECT_EQ(std::vector<WORD>(translations, translations + length / sizeof(WORD)),
              (std::vector<WORD>{0x0804, 1200, 0x0000, 1200}));

    const std::pair<const wchar_t*, std::wstring> expected[] = {
        {L"ProductName", L"pumpcalc"},
        {L"FileDescription", program.description},
        {L"FileVersion", widen(PUMPCALC_VERSION)},
        {L"ProductVersion", widen(PUMPCALC_VERSION)},
        {L"OriginalFilename", program.fileName},
        {L"LegalCopyright", L"Copyright (c) 2026 pumpcalc contributors"},
    };
    for (const wchar_t* block : {L"080404b0", L"000004b0"}) {
      for (const auto& [key, text] : expected) {
        EXPECT_EQ(stringValue(info, block, key), text)
            << e2e::narrow(block) << " " << e2e::narrow(key);
      }
    }
  }
}

// Owns a module loaded as data.
class ResourceModule {
 public:
  explicit ResourceModule(const std::wstring& path)
      : module_(LoadLibraryExW(path.c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
  ResourceModule(const ResourceModule&) = delete;
  ResourceModule& operator=(const ResourceModule&) = delete;
  ~ResourceModule() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  HMODULE get() const { return module_; }

 private:
  HMODULE module_;
};

// Every RT_MANIFEST entry as "name/language", e.g. "1/0".
struct ManifestEntries {
  std::vector<std::string> entries;
  std::string name;  // of the entry whose languages are being listed
};

BOOL CALLBACK addLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
  auto& found = *reinterpret_cast<ManifestEntries*>(param);
  found.entries.push_back(found.name + "/" + std::to_string(language));
  return TRUE;
}

BOOL CALLBACK addName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
  auto& found = *reinterpret_cast<ManifestEntries*>(param);
  found.name =
      IS_INTRESOURCE(name) ? std::to_string(reinterpret_cast<ULONG_PTR>(name)) : e2e::narrow(name);
  EnumResourceLanguagesW(module, type, name, addLanguage, param);
  return TRUE;
}

std::vector<std::string> manifestEntries(HMODULE module) {
  ManifestEntries found;
  EnumResourceNamesW(module, RT_MANIFEST, addName, reinterpret_cast<LONG_PTR>(&found));
  return found.entries;
}

std::string manifestText(HMODULE module) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
  if (found == nullptr) return {};
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr) return {};
  return std::string(static_cast<const char*>(data), SizeofResource(module, found));
}

// Whether the text is well-formed XML as far as a manifest needs: a declaration, comments,
// elements that nest and close, quoted attribute values, one root element.
bool wellFormedXml(std::string_view xml) {
  std::vector<std::string_view> open;
  int roots = 0;
  std::size_t at = 0;
  if (xml.substr(0, 5) == "<?xml") {
    at = xml.find("?>");
    if (at == std::string_view::npos) return false;
    at += 2;
  }
  while ((at = xml.find('<', at)) != std::string_view::npos) {
    if (xml.substr(at, 4) == "<!--") {
      at = xml.find("-->", at + 4);
      if (at == std::string_view::npos) return false;
      at += 3;
      continue;
    }
    // The tag's end: the first '>' outside a quoted value.
    std::size_t end = at + 1;
    char quote = 0;
    for (; end < xml.size() && (quote != 0 || xml[end] != '>'); ++end) {
      if (quote == 0 && (xml[end] == '"' || xml[end] == '\'')) {
        quote = xml[end];
      } else if (xml[end] == quote) {
        quote = 0;
      } else if (quote == 0 && xml[end] == '<') {
        return false;
      }
    }
    if (end >= xml.size()) return false;
    const std::string_view tag = xml.substr(at + 1, end - at - 1);
    const bool closing = tag.starts_with('/');
    const bool empty = tag.ends_with('/');
    const std::string_view name =
        tag.substr(closing ? 1 : 0, tag.find_first_of(" \t\r\n/", 1) - (closing ? 1 : 0));
    if (name.empty()) return false;
    if (closing) {
      if (open.empty() || open.back() != name) return false;
      open.pop_back();
    } else {
      if (open.empty()) ++roots;
      if (!empty) open.push_back(name);
    }
    at = end + 1;
  }
  return open.empty() && roots == 1;
}

TEST(WellFormedXml, AcceptsNestingAndRejectsBrokenStructure) {
  const std::pair<const char*, bool> cases[] = {
      {R"(<?xml version="1.0"?><a x="1>"><!-- <c> --><b/><c>t</c></a>)", true},
      {"<a><b></a></b>", false},
      {"<a><b></b>", false},
      {"<a/><b/>", false},
      {R"(<a x="1></a>)", false},
      {"<?xml version=\"1.0\"?>", false},
  };
  for (const auto& [xml, expected] : cases) EXPECT_EQ(wellFormedXml(xml), expected) << xml;
}

TEST(Manifest, OneManifestOfOurOwnWithTheSettingsEachProgramNeeds) {
  const char* const supportedOs[] = {
      "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
      "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // Windows 8
      "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // Windows 8.1
      "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // Windows 10 and 11
  };
  const std::string gdiScaling =
      R"(<gdiScaling xmlns="http://schemas.microsoft.com/SMI/2017/WindowsSettings">true</gdiScaling>)";
  for (const Program& program : programs) {
    SCOPED_TRACE(testing::Message() << "program " << e2e::narrow(program.fileName));
    const ResourceModule module(e2e::programBesideThisOne(program.fileName));
    ASSERT_NE(module.get(), nullptr) << GetLastError();
    // Exactly one: no toolchain's default manifest beside it.
    EXPECT_EQ(manifestEntries(module.get()), (std::vector<std::string>{"1/0"}));

    const std::string xml = manifestText(module.get());
    EXPECT_TRUE(wellFormedXml(xml)) << xml;
    EXPECT_NE(xml.find(R"(<requestedExecutionLevel level="asInvoker")"), std::string::npos);
    for (const char* id : supportedOs) EXPECT_NE(xml.find(id), std::string::npos) << id;
    // Classic controls, and no DPI awareness (docs/windows-integration.md).
    EXPECT_EQ(xml.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_EQ(xml.find("dpiAware"), std::string::npos);
    EXPECT_EQ(xml.find(gdiScaling) != std::string::npos, program.window);
  }
}

}  // namespace
}  // namespace pumpcalc::packaging
