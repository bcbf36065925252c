// Files through the Windows API: UTF-16 names, volume serial and file index for identity,
// CREATE_NEW and MoveFileExW for the replacement.
#include "platform/files.h"

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstring>

#include "platform/win32/os_error.h"
#include "platform/win32/text_encoding.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32.h"

namespace pumpcalc::platform {
namespace {

std::optional<FileIdentity> identityOfHandle(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION information{};
  if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &information) ||
      (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return std::nullopt;
  }
  return FileIdentity{
      information.dwVolumeSerialNumber,
      (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow};
}

std::string lastErrorText() { return systemErrorText(GetLastError()); }

// A binary stream of the runtime's that owns the file from now on; null, with `error` set,
// when it cannot be made (the file is then still `file`'s).
std::FILE* streamOwning(UniqueFile& file, std::string& error) {
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file.get()), _O_WRONLY | _O_BINARY);
  if (fd >= 0) file.release();
  std::FILE* stream = fd >= 0 ? _fdopen(fd, "wb") : nullptr;
  if (stream == nullptr) {
    error = std::strerror(errno);
    if (fd >= 0) _close(fd);
  }
  return stream;
}

class Win32ReplacementFile final : public ReplacementFile {
 public:
  Win32ReplacementFile(std::wstring target, std::wstring temporary, HANDLE handle,
                       std::FILE* stream)
      : ReplacementFile(stream),
        target_(std::move(target)),
        temporary_(std::move(temporary)),
        handle_(handle) {}

  ~Win32ReplacementFile() override {
    if (stream_ != nullptr) std::fclose(stream_);
    if (!committed_) DeleteFileW(temporary_.c_str());
  }

  bool commit(std::string& error) override {
    std::string failure;  // the reason of the first step that fails
    if (std::fflush(stream_) != 0) failure = std::strerror(errno);
    if (failure.empty() && !FlushFileBuffers(handle_)) failure = lastErrorText();
    if (std::fclose(stream_) != 0 && failure.empty()) failure = std::strerror(errno);
    stream_ = nullptr;
    if (failure.empty() && !MoveFileExW(temporary_.c_str(), target_.c_str(),
                                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      failure = lastErrorText();
    }
    if (!failure.empty()) {
      error = std::move(failure);
      return false;  // the destructor removes the temporary file
    }
    committed_ = true;
    return true;
  }

 private:
  std::wstring target_, temporary_;
  HANDLE handle_;  // owned by stream_
};

}  // namespace

UniqueStream openFileForReading(const std::string& path, std::string& error) {
  const std::wstring name = toUtf16(path);
  const DWORD attributes = GetFileAttributesW(name.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    error = std::strerror(EISDIR);
    return {};
  }
  UniqueStream file(_wfopen(name.c_str(), L"rb"));
  if (!file) error = std::strerror(errno);
  return file;
}

std::optional<FileIdentity> fileIdentity(const std::string& path) {
  const UniqueFile file(CreateFileW(toUtf16(path).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return std::nullopt;
  return identityOfHandle(file.get());
}

std::optional<FileIdentity> streamIdentity(std::FILE* stream) {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  return identityOfHandle(handle);
}

std::unique_ptr<ReplacementFile> ReplacementFile::create(const std::string& target,
                                                         std::string& error) {
  const std::wstring name = toUtf16(target);
  const DWORD attributes = GetFileAttributesW(name.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    error = std::strerror(EISDIR);
    return nullptr;
  }
  UniqueFile existing(CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (existing && GetFileType(existing.get()) != FILE_TYPE_DISK) {
    std::FILE* stream = streamOwning(existing, error);
    return stream != nullptr ? inPlace(stream) : nullptr;
  }
  existing.reset();
  // target.<process>-<n>.tmp, the first such name that does not exist yet.
  UniqueFile file;
  std::wstring temporary;
  for (unsigned attempt = 0; !file; ++attempt) {
    temporary = name + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(attempt) + L".tmp";
    file.reset(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file && (GetLastError() != ERROR_FILE_EXISTS || attempt == 1000)) {
      error = lastErrorText();
      return nullptr;
    }
  }
  const HANDLE handle = file.get();
  std::FILE* stream = streamOwning(file, error);
  if (stream == nullptr) {
    file.reset();
    DeleteFileW(temporary.c_str());
    return nullptr;
  }
  return std::make_unique<Win32ReplacementFile>(name, temporary, handle, stream);
}

unsigned processorCount() noexcept {
  SYSTEM_INFO information{};
  GetSystemInfo(&information);
  return information.dwNumberOfProcessors > 0 ? information.dwNumberOfProcessors : 1;
}

}  // namespace pumpcalc::platform
