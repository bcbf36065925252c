// An output written where it is, for a target that is no regular file.
#include <cerrno>
#include <cstring>

#include "platform/files.h"

namespace pumpcalc::platform {
namespace {

class FileInPlace final : public ReplacementFile {
 public:
  explicit FileInPlace(std::FILE* stream) : ReplacementFile(stream) {}
  ~FileInPlace() override {
    if (stream_ != nullptr) std::fclose(stream_);
  }

  bool commit(std::string& error) override {
    int failure = std::fflush(stream_) != 0 ? errno : 0;
    if (std::fclose(stream_) != 0 && failure == 0) failure = errno;
    stream_ = nullptr;
    if (failure != 0) error = std::strerror(failure);
    committed_ = failure == 0;
    return committed_;
  }
};

}  // namespace

std::unique_ptr<ReplacementFile> ReplacementFile::inPlace(std::FILE* stream) {
  return std::make_unique<FileInPlace>(stream);
}

}  // namespace pumpcalc::platform
