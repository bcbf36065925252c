#include "cli/batch.h"

#include <memory>
#include <string>
#include <variant>

#include "cli/encoding.h"
#include "core/locale_numbers.h"
#include "platform/files.h"

namespace pumpcalc::cli {
namespace {

// The field names of the header record, or BatchFailure when it cannot be read.
std::vector<std::string> readHeader(const Chunk& chunk, const TableDialect& dialect) {
  const RecordSpan& header = chunk.records.front();
  const std::string_view record = chunk.text(header);
  std::vector<std::string> names;
  std::string scratch;
  RecordCheck check = header.dropped;
  if (check.problem == RecordProblem::none) {
    check = forEachField(record, dialect, [&](std::size_t, const FieldSpan& span) {
      names.emplace_back(fieldText(record, span, scratch));
    });
  }
  if (check.problem == RecordProblem::none) return names;
  throw BatchFailure("cannot read the header: line 1: " + problemText(check, dialect.encoding));
}

RowLayout layoutFor(const BatchSettings& settings,
                    const std::optional<std::vector<std::string>>& headerNames) {
  auto made = makeRowLayout(settings.dialect, settings.columns, headerNames, settings.ratings,
                            DecimalSeparatorChar);
  if (auto* message = std::get_if<std::string>(&made)) throw BatchFailure(*message);
  RowLayout layout = std::get<RowLayout>(std::move(made));
  layout.specificGravity = settings.specificGravity;
  layout.margin = settings.margin;
  return layout;
}

void write(ByteSink& out, std::string_view text) { out.write(text.data(), text.size()); }

// The rows of `chunk` and of every chunk after it, computed on this thread after what
// `output` holds.
BatchSummary writeRowsHere(RecordScanner& scanner, Chunk& chunk, const RowLayout& layout,
                           std::size_t chunkBytes, OutputText& output, ByteSink& out) {
  BatchSummary summary;
  RowWriter writer(layout);
  do {
    writer.write(chunk, output, summary);
    write(out, output.view());
    output.clear();
  } while (scanner.next(chunk, chunkBytes));
  return summary;
}

// The same on the computing threads, this one reading and writing.
BatchSummary writeRowsOnThreads(RecordScanner& scanner, Chunk& chunk, const RowLayout& layout,
                                const BatchSettings& settings, ByteSink& out) {
  ParallelRows rows(layout, settings.threads);
  bool firstTaken = false;
  return rows.run(
      [&](Chunk& next) {
        if (firstTaken) return scanner.next(next, settings.chunkBytes);
        firstTaken = true;
        std::swap(next, chunk);
        return true;
      },
      [&](std::string_view text) { write(out, text); });
}

}  // namespace

BatchSummary runBatch(ByteSource& in, ByteSink& out, const BatchSettings& settings) {
  if (settings.encoding != nullptr) {
    DecodingSource text(in, *settings.encoding);
    EncodingSink encoded(out, *settings.encoding);
    BatchSettings utf8 = settings;
    utf8.encoding = nullptr;
    utf8.dialect.encoding = settings.encoding->name();
    return runBatch(text, settings.outputInUtf8 ? out : encoded, utf8);
  }
  // A record over lines is taken whole only when it is readable and, once the layout is
  // known, as wide as the layout's records; a header need only be readable.
  ScanSettings scan{settings.dialect, settings.lineBlocks, true};
  std::optional<RowLayout> layout;
  if (!settings.header) {
    layout = layoutFor(settings, {});
    scan.width = layout->width;
    scan.widthIsMinimum = layout->widthIsMinimum;
  }
  RecordScanner scanner(in, scan);
  Chunk chunk;
  OutputText output;  // what goes out next
  // The first record (the header, or the first chunk), after which the byte-order mark is
  // known.
  bool more = scanner.next(chunk, settings.chunkBytes, settings.header ? 1 : SIZE_MAX);
  if (scanner.hadByteOrderMark()) output.append(byteOrderMark);
  if (settings.header && more) {
    const RecordSpan& header = chunk.records.front();
    layout = layoutFor(settings, readHeader(chunk, settings.dialect));
    scanner.expectWidth(layout->width, layout->widthIsMinimum);
    writeHeader(chunk.text(header), header.lineEnd, *layout, output);
    more = scanner.next(chunk, settings.chunkBytes);
  }
  BatchSummary summary;
  if (more && settings.threads > 1 && !scanner.atEnd()) {  // more than one chunk
    write(out, output.view());
    summary = writeRowsOnThreads(scanner, chunk, *layout, settings, out);
  } else if (more) {
    summary = writeRowsHere(scanner, chunk, *layout, settings.chunkBytes, output, out);
  } else {
    write(out, output.view());
  }
  out.flush();
  return summary;
}

BatchSummary runBatchIntoFile(ByteSource& in, const std::string& path,
                              const BatchSettings& settings) {
  const std::string name = quoted(path);
  std::string error;
  const std::unique_ptr<platform::ReplacementFile> file =
      platform::ReplacementFile::create(path, error);
  if (!file) throw BatchFailure("cannot write " + name + ": " + error);
  platform::OutputStream stream(file->stream());
  StreamSink sink(stream, name);
  const BatchSummary summary = runBatch(in, sink, settings);
  if (!file->commit(error)) throw BatchFailure("cannot write " + name + ": " + error);
  return summary;
}

}  // namespace pumpcalc::cli
