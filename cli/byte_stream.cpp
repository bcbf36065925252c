#include "cli/byte_stream.h"

#include <cerrno>
#include <cstring>

namespace pumpcalc::cli {
namespace {

[[noreturn]] void fail(const char* what, const std::string& name, int error) {
  throw BatchFailure(std::string("cannot ") + what + " " + name + ": " +
                     (error != 0 ? std::strerror(error) : "input/output error"));
}

}  // namespace

std::size_t StreamSource::read(char* buffer, std::size_t size) {
  const std::size_t count = std::fread(buffer, 1, size, stream_);
  if (count == 0 && std::ferror(stream_)) fail("read", name_, errno);
  return count;
}

void StreamSink::write(const char* data, std::size_t size) {
  if (size != 0 && std::fwrite(data, 1, size, stream_) != size) fail("write", name_, errno);
}

void StreamSink::flush() {
  if (std::fflush(stream_) != 0) fail("write", name_, errno);
}

}  // namespace pumpcalc::cli
