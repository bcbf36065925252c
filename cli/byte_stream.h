// Where a batch reads its input and writes its output: C streams, or anything a test needs.
#pragma once

#include <cstddef>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace pumpcalc::cli {

// A failure that ends the whole batch: the input or the output cannot be used, or the
// header line cannot be read. Its message is for the user.
class BatchFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to `size` bytes into `buffer`; 0 at the end. Throws BatchFailure when reading fails.
  virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // All of `size` bytes, or BatchFailure.
  virtual void write(const char* data, std::size_t size) = 0;
  // Everything written so far handed to the system, or BatchFailure.
  virtual void flush() = 0;
};

// A C stream; `name` says which in messages ("standard input", "'pumps.csv'").
class StreamSource final : public ByteSource {
 public:
  StreamSource(std::FILE* stream, std::string name) : stream_(stream), name_(std::move(name)) {}
  std::size_t read(char* buffer, std::size_t size) override;

 private:
  std::FILE* stream_;
  std::string name_;
};

class StreamSink final : public ByteSink {
 public:
  StreamSink(std::FILE* stream, std::string name) : stream_(stream), name_(std::move(name)) {}
  void write(const char* data, std::size_t size) override;
  void flush() override;

 private:
  std::FILE* stream_;
  std::string name_;
};

}  // namespace pumpcalc::cli
