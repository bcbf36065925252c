// The installer as a user or an administrator runs it: silently (/S) into a folder of the
// test's choosing (/D=), then the installed calculator, then the silent uninstaller, with
// the files, the Start-menu shortcut and the uninstall entry checked before and after.
#include <windows.h>
//
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
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
constexpr const wchar_t* shortcutName = L"泵功率的计算.lnk";
const std::array<const wchar_t*, 5> installedFiles = {L"pumpcalc.exe", L"pumpcalc-cli.exe",
                                                      L"README.txt", L"LICENSE", L"uninstall.exe"};

std::wstring widen(std::string_view text) { return std::wstring(text.begin(), text.end()); }

// Owns an open registry key.
class RegistryKey {
 public:
  RegistryKey(HKEY root, const wchar_t* path) {
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  ~RegistryKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  explicit operator bool() const { return key_ != nullptr; }

  std::optional<std::wstring> text(const wchar_t* name) const {
    DWORD bytes = 0;
    if (RegGetValueW(key_, nullptr, name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
      return std::nullopt;
    std::wstring value(bytes / sizeof(wchar_t), L'\0');
    if (RegGetValueW(key_, nullptr, name, RRF_RT_REG_SZ, nullptr, value.data(), &bytes) !=
        ERROR_SUCCESS)
      return std::nullopt;
    value.resize(wcsnlen(value.c_str(), value.size()));
    return value;
  }
  std::optional<DWORD> number(const wchar_t* name) const {
    DWORD value = 0;
    DWORD bytes = sizeof value;
    if (RegGetValueW(key_, nullptr, name, RRF_RT_REG_DWORD, nullptr, &value, &bytes) !=
        ERROR_SUCCESS)
      return std::nullopt;
    return value;
  }

 private:
  HKEY key_ = nullptr;
};

bool keyExists(HKEY root) { return static_cast<bool>(RegistryKey(root, uninstallKey)); }
std::optional<std::wstring> installLocation(HKEY root) {
  return RegistryKey(root, uninstallKey).text(L"InstallLocation");
}

// CoInitializeEx for the test's thread, undone when it goes.
class ComApartment {
 public:
  ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }

 private:
  HRESULT result_;
};

// Owns one COM interface pointer.
template <class Interface>
class ComRef {
 public:
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() {
    if (pointer_ != nullptr) pointer_->Release();
  }
  Interface* operator->() const { return pointer_; }
  Interface** put() { return &pointer_; }
  void** putVoid() { return reinterpret_cast<void**>(&pointer_); }

 private:
  Interface* pointer_ = nullptr;
};

fs::path knownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  const HRESULT result = SHGetKnownFolderPath(id, 0, nullptr, &path);
  fs::path folder = SUCCEEDED(result) ? fs::path(path) : fs::path();
  CoTaskMemFree(path);
  return folder;
}

// The program a shortcut starts; empty when it cannot be read.
std::wstring shortcutTarget(const fs::path& link) {
  ComRef<IShellLinkW> shellLink;
  ComRef<IPersistFile> file;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              shellLink.putVoid())) ||
      FAILED(shellLink->QueryInterface(IID_IPersistFile, file.putVoid())) ||
      FAILED(file->Load(link.c_str(), STGM_READ)))
    return {};
  wchar_t target[MAX_PATH] = {};
  if (FAILED(shellLink->GetPath(target, MAX_PATH, nullptr, 0))) return {};
  return target;
}

std::string contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs a program to its end; its exit code, or std::nullopt when it did not end in time.
std::optional<DWORD> run(const fs::path& program, const std::wstring& arguments) {
  e2e::LaunchedProgram launched =
      e2e::launch(program.wstring(), e2e::kNoShowCommand, {}, arguments);
  return launched.waitForExit(timeout);
}

// Where one install mode puts its shortcut and its uninstall entry.
struct Mode {
  HKEY root;
  const KNOWNFOLDERID* programsFolder;
};
const Mode perUser{HKEY_CURRENT_USER, &FOLDERID_Programs};
const Mode perMachine{HKEY_LOCAL_MACHINE, &FOLDERID_CommonPrograms};

fs::path shortcutOf(const Mode& mode) { return knownFolder(*mode.programsFolder) / shortcutName; }

// Whatever an installation into a folder left when a test ends, removed: the shortcut and
// the entry that point into it, and the folder (or one that holds it) with its contents.
class Leftovers {
 public:
  Leftovers(fs::path folder, fs::path removed)
      : folder_(std::move(folder)), removed_(std::move(removed)) {}
  Leftovers(const Leftovers&) = delete;
  Leftovers& operator=(const Leftovers&) = delete;
  ~Leftovers() {
    for (const Mode& mode : {perUser, perMachine}) {
      if (installLocation(mode.root) == folder_.wstring()) RegDeleteTreeW(mode.root, uninstallKey);
      if (shortcutTarget(shortcutOf(mode)) == (folder_ / L"pumpcalc.exe").wstring())
        DeleteFileW(shortcutOf(mode).c_str());
    }
    std::error_code ignored;
    fs::remove_all(removed_, ignored);
  }

 private:
  fs::path folder_;
  fs::path removed_;
};

fs::path temporaryFolder() {
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  // A space and Chinese characters, as a user's folder may have.
  return fs::path(std::wstring(temp, length)) /
         (L"pumpcalc-installer-" + std::to_wstring(GetCurrentProcessId())) / L"泵 程序";
}

class Installer : public testing::Test {
 protected:
  static void SetUpTestSuite() { e2e::keepWindowsFromWindowManager(L"pumpcalc.exe"); }

  // Installs silently with the given arguments; the installation is expected in folder.
  void install(const std::wstring& arguments, const fs::path& folder) {
    folder_ = folder;
    const fs::path installer = e2e::programBesideThisOne(widen(PUMPCALC_INSTALLER));
    ASSERT_TRUE(fs::exists(installer)) << installer.string();
    ASSERT_EQ(run(installer, L"/S" + arguments), 0u);
  }

  // The files, the shortcut and the entry of an installation into folder_.
  void expectInstalled(const Mode& mode) {
    for (const wchar_t* file : installedFiles)
      EXPECT_TRUE(fs::is_regular_file(folder_ / file)) << narrow(file);
    // The installer carries the programs of this build, not older ones.
    EXPECT_EQ(contents(folder_ / L"pumpcalc.exe"),
              contents(e2e::programBesideThisOne(L"pumpcalc.exe")));
    EXPECT_EQ(contents(folder_ / L"pumpcalc-cli.exe"),
              contents(e2e::programBesideThisOne(L"pumpcalc-cli.exe")));

    const fs::path shortcut = shortcutOf(mode);
    EXPECT_TRUE(fs::is_regular_file(shortcut)) << shortcut.string();
    EXPECT_EQ(shortcutTarget(shortcut), (folder_ / L"pumpcalc.exe").wstring());

    const RegistryKey entry(mode.root, uninstallKey);
    ASSERT_TRUE(entry);
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
    for (const auto& [name, value] : values) EXPECT_EQ(entry.text(name), value) << narrow(name);
    // In KiB, about the size of the files.
    std::uintmax_t bytes = 0;
    for (const wchar_t* file : installedFiles) bytes += fs::file_size(folder_ / file);
    const double kib = static_cast<double>(bytes) / 1024;
    EXPECT_NEAR(static_cast<double>(entry.number(L"EstimatedSize").value_or(0)), kib, kib / 4);
  }

  // Runs the entry's QuietUninstallString, "<folder>\uninstall.exe" /S, and waits until the
  // entry, which the uninstaller removes last, is gone: the uninstaller hands its work to
  // a copy of itself in %TEMP% and ends at once.
  void uninstall(const Mode& mode) {
    ASSERT_EQ(run(folder_ / L"uninstall.exe", L"/S"), 0u);
    ASSERT_TRUE(e2e::waitUntil([&] { return !keyExists(mode.root); }, timeout));
    EXPECT_FALSE(fs::exists(shortcutOf(mode)));
  }

  ComApartment com_;
  fs::path folder_;
};

TEST_F(Installer, PerUserInstallCalculatesAndUninstallsWithoutATrace) {
  const fs::path folder = temporaryFolder();
  const Leftovers leftovers(folder, folder.parent_path());
  ASSERT_NO_FATAL_FAILURE(install(L" /CurrentUser /D=" + folder.wstring(), folder));
  ASSERT_NO_FATAL_FAILURE(expectInstalled(perUser));
  EXPECT_NE(installLocation(HKEY_LOCAL_MACHINE), folder.wstring());

  // The installed calculator computes and closes after its question, with exit code 0.
  {
    e2e::LaunchedProgram calculator =
        e2e::launch((folder_ / L"pumpcalc.exe").wstring(), e2e::kNoShowCommand);
    HWND window =
        e2e::waitForTopLevelWindow(calculator.processId(), e2e::withClass(L"TForm1"), timeout);
    ASSERT_NE(window, nullptr);
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
  EXPECT_FALSE(fs::exists(folder_));
}

TEST_F(Installer, ElevatedItInstallsPerMachineAndTheUninstallerKeepsTheUsersFiles) {
  if (!IsUserAnAdmin()) GTEST_SKIP() << "needs an elevated administrator (Wine's user is one)";
  // Into Program Files, the 64-bit one, when no folder is given.
  const fs::path folder = knownFolder(FOLDERID_ProgramFilesX64) / L"pumpcalc";
  const Leftovers leftovers(folder, folder);
  ASSERT_NO_FATAL_FAILURE(install(L"", folder));
  ASSERT_NO_FATAL_FAILURE(expectInstalled(perMachine));
  EXPECT_NE(installLocation(HKEY_CURRENT_USER), folder.wstring());

  // A file of the user's in the folder: the uninstaller removes its own files only.
  std::ofstream(folder_ / L"notes.txt") << "mine";
  ASSERT_NO_FATAL_FAILURE(uninstall(perMachine));
  std::vector<fs::path> left;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder_))
    left.push_back(entry.path().filename());
  EXPECT_EQ(left, std::vector<fs::path>{L"notes.txt"});
}

}  // namespace
}  // namespace pumpcalc::packaging
