// Files through POSIX: stat for identity, mkstemp and rename(2) for the replacement.
#include "platform/files.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace pumpcalc::platform {
namespace {

std::optional<FileIdentity> identityOf(const struct stat& status) {
  if (!S_ISREG(status.st_mode)) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(status.st_dev),
                      static_cast<std::uint64_t>(status.st_ino)};
}

class PosixReplacementFile final : public ReplacementFile {
 public:
  PosixReplacementFile(std::string target, std::string temporary, std::FILE* stream)
      : ReplacementFile(stream), target_(std::move(target)), temporary_(std::move(temporary)) {}

  ~PosixReplacementFile() override {
    if (stream_ != nullptr) std::fclose(stream_);
    if (!committed_) unlink(temporary_.c_str());
  }

  bool commit(std::string& error) override {
    int failure = 0;
    // Some file systems cannot sync (EINVAL); their data is as safe as they make it.
    if (std::fflush(stream_) != 0 || (fsync(fileno(stream_)) != 0 && errno != EINVAL)) {
      failure = errno;
    }
    if (std::fclose(stream_) != 0 && failure == 0) failure = errno;
    stream_ = nullptr;
    if (failure == 0 && std::rename(temporary_.c_str(), target_.c_str()) != 0) failure = errno;
    if (failure != 0) {
      error = std::strerror(failure);
      return false;  // the destructor removes the temporary file
    }
    committed_ = true;
    return true;
  }

 private:
  std::string target_, temporary_;
};

}  // namespace

UniqueStream openFileForReading(const std::string& path, std::string& error) {
  UniqueStream file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    error = std::strerror(errno);
    return {};
  }
  struct stat status {};
  if (fstat(fileno(file.get()), &status) == 0 && S_ISDIR(status.st_mode)) {
    error = std::strerror(EISDIR);
    return {};
  }
  return file;
}

std::optional<FileIdentity> fileIdentity(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return std::nullopt;
  return identityOf(status);
}

std::optional<FileIdentity> streamIdentity(std::FILE* stream) {
  struct stat status {};
  if (fstat(fileno(stream), &status) != 0) return std::nullopt;
  return identityOf(status);
}

std::unique_ptr<ReplacementFile> ReplacementFile::create(const std::string& target,
                                                         std::string& error) {
  // A link stays a link: its file is the one replaced.
  std::string resolved = target;
  if (char* real = realpath(target.c_str(), nullptr)) {
    resolved = real;
    std::free(real);
  }
  struct stat existing {};
  const bool exists = stat(resolved.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) {
    error = std::strerror(EISDIR);
    return nullptr;
  }
  if (exists && !S_ISREG(existing.st_mode)) {
    std::FILE* stream = std::fopen(resolved.c_str(), "wb");
    if (stream == nullptr) error = std::strerror(errno);
    return stream != nullptr ? inPlace(stream) : nullptr;
  }
  std::string temporary = resolved + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) {
    error = std::strerror(errno);
    return nullptr;
  }
  // The permissions the target has, or those a newly created file would get.
  mode_t mode = existing.st_mode & 07777;
  if (!exists) {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  std::FILE* stream = fchmod(fd, mode) == 0 ? fdopen(fd, "wb") : nullptr;
  if (stream == nullptr) {
    error = std::strerror(errno);
    close(fd);
    unlink(temporary.c_str());
    return nullptr;
  }
  return std::make_unique<PosixReplacementFile>(resolved, temporary, stream);
}

unsigned processorCount() noexcept {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count > 0) return static_cast<unsigned>(count);
  }
  const long online = sysconf(_SC_NPROCESSORS_ONLN);
  return online > 0 ? static_cast<unsigned>(online) : 1;
}

}  // namespace pumpcalc::platform
