// The installer as a user or an administrator runs it: silently (/S), then the installed
// calculator, then the silent uninstaller, with the files, the Start-menu shortcut and the
// uninstall entry checked before and after.
#include <windows.h>
//
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"
#include "tests/e2e/message_boxes.h"

namespace pumpcalc::packaging {
namespace {

using e2e::narrow;
namespace fs = std::filesystem;

constexpr int timeout = 30000;
constexpr const wchar_t* uninstallKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\pumpcalc";
const wchar_t* const installedFiles[] = {L"pumpcalc.exe", L"pumpcalc-cli.exe", L"README.txt",
                                         L"LICENSE", L"uninstall.exe"};

std::wstring widen(std::string_view text) { return std::wstring(text.begin(), text.end()); }

std::optional<std::wstring> entryText(HKEY root, const wchar_t* name) {
  wchar_t value[1024];
  DWORD bytes = sizeof value;
  if (RegGetValueW(root, uninstallKey, name, RRF_RT_REG_SZ, nullptr, value, &bytes) !=
      ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

// Where an install mode puts its shortcut and its uninstall entry.
struct Mode {
  HKEY root;
  const KNOWNFOLDERID* programs;
};
const Mode perUser{HKEY_CURRENT_USER, &FOLDERID_Programs};
const Mode perMachine{HKEY_LOCAL_MACHINE, &FOLDERID_CommonPrograms};

fs::path knownFolder(const KNOWNFOLDERID& id) {
  PWSTR path = nullptr;
  const fs::path folder = SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)) ? path : L"";
  CoTaskMemFree(path);
  return folder;
}
fs::path shortcutOf(const Mode& mode) { return knownFolder(*mode.programs) / L"泵功率的计算.lnk"; }

std::string contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The names in a folder; none when there is no folder.
std::vector<fs::path> filesIn(const fs::path& folder) {
  std::vector<fs::path> names;
  std::error_code missing;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, missing))
    names.push_back(entry.path().filename());
  return names;
}

// Runs a program to its end: its exit code, or std::nullopt when it did not end in time.
std::optional<DWORD> run(const fs::path& program, const std::wstring& arguments) {
  return e2e::launch(program.wstring(), e2e::kNoShowCommand, {}, arguments).waitForExit(timeout);
}

class Installer : public testing::Test {
 protected:
  static void SetUpTestSuite() { e2e::keepWindowsFromWindowManager(L"pumpcalc.exe"); }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(removeAtEnd_, ignored);  // what a failed test left
  }

  // Installs silently with the given arguments; the installation is expected in folder.
  void install(const std::wstring& arguments, const fs::path& folder, const fs::path& removed) {
    folder_ = folder;
    removeAtEnd_ = removed;
    const fs::path installer = e2e::programBesideThisOne(widen(PUMPCALC_INSTALLER));
    ASSERT_EQ(run(installer, L"/S" + arguments), 0u) << installer.string();
  }

  // The files, the shortcut and the entry of an installation into folder_.
  void expectInstalled(const Mode& mode) {
    std::uintmax_t bytes = 0;
    for (const wchar_t* file : installedFiles) {
      ASSERT_TRUE(fs::is_regular_file(folder_ / file)) << narrow(file);
      bytes += fs::file_size(folder_ / file);
    }
    // The programs of this build, not older ones.
    for (const wchar_t* program : {L"pumpcalc.exe", L"pumpcalc-cli.exe"})
      EXPECT_EQ(contents(folder_ / program), contents(e2e::programBesideThisOne(program)));
    EXPECT_TRUE(fs::is_regular_file(shortcutOf(mode))) << shortcutOf(mode).string();

    const std::wstring dir = folder_.wstring();
    const std::pair<const wchar_t*, std::wstring> values[] = {
        {L"DisplayName", L"pumpcalc 泵功率的计算"},
        {L"DisplayVersion", widen(PUMPCALC_VERSION)},
        {L"Publisher", L"pumpcalc contributors"},
        {L"DisplayIcon", dir + L"\\pumpcalc.exe,0"},
        {L"InstallLocation", dir},
        {L"UninstallString", L"\"" + dir + L"\\uninstall.exe\""},
        {L"QuietUninstallString", L"\"" + dir + L"\\uninstall.exe\" /S"},
    };
    for (const auto& [name, value] : values)
      EXPECT_EQ(entryText(mode.root, name), value) << narrow(name);
    // In KiB, about the size of the files.
    DWORD size = 0, sizeBytes = sizeof size;
    RegGetValueW(mode.root, uninstallKey, L"EstimatedSize", RRF_RT_REG_DWORD, nullptr, &size,
                 &sizeBytes);
    EXPECT_NEAR(size, bytes / 1024.0, bytes / 4096.0);
  }

  // Runs the entry's QuietUninstallString, "<folder>\uninstall.exe" /S, and waits until the
  // entry, which the uninstaller removes last, is gone: the uninstaller hands its work to
  // a copy of itself in %TEMP% and ends at once.
  void uninstall(const Mode& mode) {
    // A copy of the uninstaller, for a check of it outside Wine (its signature), when asked.
    if (const wchar_t* copy = _wgetenv(L"PUMPCALC_KEEP_UNINSTALLER"))
      fs::copy_file(folder_ / L"uninstall.exe", copy, fs::copy_options::overwrite_existing);
    ASSERT_EQ(run(folder_ / L"uninstall.exe", L"/S"), 0u);
    ASSERT_TRUE(e2e::waitUntil([&] { return !entryText(mode.root, L"InstallLocation"); }, timeout));
    EXPECT_FALSE(fs::exists(shortcutOf(mode)));
  }

  fs::path folder_, removeAtEnd_;
};

TEST_F(Installer, PerUserInstallCalculatesAndUninstallsWithoutATrace) {
  wchar_t temp[MAX_PATH + 1];
  const fs::path parent = fs::path(std::wstring(temp, GetTempPathW(MAX_PATH + 1, temp))) /
                          (L"pumpcalc-installer-" + std::to_wstring(GetCurrentProcessId()));
  // A space and Chinese characters, as a user's folder may have.
  const fs::path folder = parent / L"泵 程序";
  ASSERT_NO_FATAL_FAILURE(install(L" /CurrentUser /D=" + folder.wstring(), folder, parent));
  ASSERT_NO_FATAL_FAILURE(expectInstalled(perUser));
  EXPECT_NE(entryText(HKEY_LOCAL_MACHINE, L"InstallLocation"), folder.wstring());

  // The installed calculator computes and closes after its question, with exit code 0.
  {
    e2e::LaunchedProgram calculator =
        e2e::launch((folder / L"pumpcalc.exe").wstring(), e2e::kNoShowCommand);
    HWND window =
        e2e::waitForTopLevelWindow(calculator.processId(), e2e::withClass(L"TForm1"), timeout);
    ASSERT_TRUE(e2e::waitUntil([&] { return e2e::isVisible(window); }, timeout));
    std::vector<HWND> boxes;
    for (const e2e::WindowInfo& child : e2e::childWindows(window)) {
      if (_wcsicmp(child.className.c_str(), L"Edit") == 0) boxes.push_back(child.handle);
    }
    ASSERT_EQ(boxes.size(), 6u);
    e2e::setText(boxes[0], L"100");
    e2e::setText(boxes[1], L"50");
    e2e::setText(boxes[2], L"80");
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(e2e::findChild(window, L"Button", L"OK"), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG,
                        timeout, &ignored);
    EXPECT_EQ(narrow(e2e::windowText(boxes[3])), "17.020697167756");
    EXPECT_EQ(narrow(e2e::windowText(boxes[4])), "18.7227668845316");
    EXPECT_EQ(narrow(e2e::windowText(boxes[5])), "20.4248366013072");
    e2e::clickButton(e2e::findChild(window, L"Button", L"退出"));
    ASSERT_TRUE(e2e::answerConfirmation(calculator, L"OK", timeout));
    EXPECT_EQ(calculator.waitForExit(timeout), std::optional<DWORD>(0));
  }

  ASSERT_NO_FATAL_FAILURE(uninstall(perUser));
  EXPECT_EQ(filesIn(folder), std::vector<fs::path>{}) << "the folder is still there";
  EXPECT_FALSE(fs::exists(folder));
}

TEST_F(Installer, ElevatedItInstallsPerMachineAndTheUninstallerKeepsTheUsersFiles) {
  if (!IsUserAnAdmin()) GTEST_SKIP() << "needs an elevated administrator (Wine's user is one)";
  // Into Program Files, the 64-bit one, when no folder is given.
  const fs::path folder = knownFolder(FOLDERID_ProgramFilesX64) / L"pumpcalc";
  ASSERT_NO_FATAL_FAILURE(install(L"", folder, folder));
  ASSERT_NO_FATAL_FAILURE(expectInstalled(perMachine));
  EXPECT_NE(entryText(HKEY_CURRENT_USER, L"InstallLocation"), folder.wstring());

  // A file of the user's in the folder: the uninstaller removes its own files only.
  std::ofstream(folder / L"notes.txt") << "mine";
  ASSERT_NO_FATAL_FAILURE(uninstall(perMachine));
  EXPECT_EQ(filesIn(folder), std::vector<fs::path>{L"notes.txt"});
}

}  // namespace
}  // namespace pumpcalc::packaging
