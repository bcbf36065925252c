// The C streams as they are: bytes both ways.
#include "platform/streams.h"

#include <cerrno>
#include <cstring>

namespace pumpcalc::platform {
namespace {

std::string errnoText() { return errno != 0 ? std::strerror(errno) : "input/output error"; }

}  // namespace

struct InputStream::Console {};
struct OutputStream::Console {};

InputStream::InputStream(std::FILE* stream) : stream_(stream) {}
InputStream::~InputStream() = default;

bool InputStream::read(char* buffer, std::size_t size, std::size_t& count, std::string& error) {
  errno = 0;
  count = std::fread(buffer, 1, size, stream_);
  if (count == 0 && std::ferror(stream_)) {
    error = errnoText();
    return false;
  }
  return true;
}

OutputStream::OutputStream(std::FILE* stream) : stream_(stream) {}
OutputStream::~OutputStream() = default;

bool OutputStream::write(std::string_view bytes, std::string& error) {
  errno = 0;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), stream_) != bytes.size()) {
    error = errnoText();
    return false;
  }
  return true;
}

bool OutputStream::flush(std::string& error) {
  errno = 0;
  if (std::fflush(stream_) != 0) {
    error = errnoText();
    return false;
  }
  return true;
}

}  // namespace pumpcalc::platform
