// Files as the command-line program needs them: opened by UTF-8 name, told apart by
// identity, and replaced only once a new version is complete.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "platform/unique_handle.h"

namespace pumpcalc::platform {

inline void closeStream(std::FILE* stream) noexcept { std::fclose(stream); }
using UniqueStream = UniqueHandle<std::FILE*, closeStream>;  // a C stream of our own

// Opens an existing file for reading, in binary mode. On failure returns an empty stream and
// sets `error` to the system's reason ("No such file or directory", "Is a directory").
UniqueStream openFileForReading(const std::string& path, std::string& error);

// What tells two names of one regular file apart from names of two files.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t file = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of the regular file that `path` names (links followed); none when there is
// no such file, or it is a directory, a device or a pipe.
std::optional<FileIdentity> fileIdentity(const std::string& path);
// The same for the file an open stream reads or writes.
std::optional<FileIdentity> streamIdentity(std::FILE* stream);

// A new version of a file, written to a temporary file in the target's folder and renamed
// over the target by commit(), atomically: until then the target stays as it was, and a
// ReplacementFile destroyed without commit() removes its temporary file.
class ReplacementFile {
 public:
  // Creates the temporary file beside `target` (beside the file a link names). On failure
  // returns null and sets `error` to the reason.
  // A target that is no regular file (a device such as /dev/null or NUL, a pipe) is written
  // where it is instead: there is nothing to replace, and a file renamed over it would
  // destroy it.
  static std::unique_ptr<ReplacementFile> create(const std::string& target, std::string& error);
  // The output written straight into `stream`, which it owns; commit() flushes and closes it.
  static std::unique_ptr<ReplacementFile> inPlace(std::FILE* stream);

  virtual ~ReplacementFile() = default;
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Where the new version is written (binary mode).
  std::FILE* stream() noexcept { return stream_; }
  // Flushes the data to the disk, closes the file and renames it over the target. On
  // failure removes the temporary file and returns false with `error` set.
  virtual bool commit(std::string& error) = 0;

 protected:
  explicit ReplacementFile(std::FILE* stream) noexcept : stream_(stream) {}

  std::FILE* stream_;  // null once commit() has closed it
  bool committed_ = false;
};

// The processors this program may run on (at least 1).
unsigned processorCount() noexcept;

}  // namespace pumpcalc::platform
