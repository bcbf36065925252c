#include "cli/batch_file.h"

#include <memory>

#include "platform/files.h"

namespace pumpcalc::cli {

BatchSummary runBatchIntoFile(ByteSource& in, const std::string& path,
                              const BatchSettings& settings) {
  const std::string name = "'" + path + "'";
  std::string error;
  const std::unique_ptr<platform::ReplacementFile> file =
      platform::ReplacementFile::create(path, error);
  if (!file) throw BatchFailure("cannot write " + name + ": " + error);
  StreamSink sink(file->stream(), name);
  const BatchSummary summary = runBatch(in, sink, settings);
  if (!file->commit(error)) throw BatchFailure("cannot write " + name + ": " + error);
  return summary;
}

}  // namespace pumpcalc::cli
