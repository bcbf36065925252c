// The streams' bytes through the C library, where a stream is no console.
#include <cerrno>
#include <cstring>

#include "platform/streams.h"

namespace pumpcalc::platform {
namespace {

// Sets `error` to the C library's reason for the failure just seen; false, the caller's answer.
bool failure(std::string& error) {
  error = errno != 0 ? std::strerror(errno) : "input/output error";
  return false;
}

}  // namespace

bool InputStream::readBytes(char* buffer, std::size_t size, std::size_t& count,
                            std::string& error) {
  errno = 0;
  count = std::fread(buffer, 1, size, stream_);
  if (count == 0 && std::ferror(stream_)) return failure(error);
  return true;
}

bool OutputStream::writeBytes(std::string_view bytes, std::string& error) {
  errno = 0;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), stream_) != bytes.size()) {
    return failure(error);
  }
  return true;
}

bool OutputStream::flushBytes(std::string& error) {
  errno = 0;
  if (std::fflush(stream_) != 0) return failure(error);
  return true;
}

}  // namespace pumpcalc::platform
