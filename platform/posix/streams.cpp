// The C streams as they are: bytes both ways.
#include "platform/streams.h"

namespace pumpcalc::platform {

struct InputStream::Console {};
struct OutputStream::Console {};

InputStream::InputStream(std::FILE* stream) : stream_(stream) {}
InputStream::~InputStream() = default;

bool InputStream::read(char* buffer, std::size_t size, std::size_t& count, std::string& error) {
  return readBytes(buffer, size, count, error);
}

OutputStream::OutputStream(std::FILE* stream) : stream_(stream) {}
OutputStream::~OutputStream() = default;

bool OutputStream::write(std::string_view bytes, std::string& error) {
  return writeBytes(bytes, error);
}

bool OutputStream::flush(std::string& error) { return flushBytes(error); }

}  // namespace pumpcalc::platform
