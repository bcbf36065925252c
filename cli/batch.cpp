#include "cli/batch.h"

#include <string>
#include <variant>

#include "cli/parallel_rows.h"
#include "cli/record_scanner.h"
#include "core/locale_numbers.h"

namespace pumpcalc::cli {
namespace {

std::vector<std::string> readHeader(const Chunk& chunk, const TableDialect& dialect) {
  const RecordSpan& header = chunk.records.front();
  RecordCheck problem = header.dropped;
  if (problem.problem == RecordProblem::none) {
    auto parsed = headerNames(chunk.text(header), dialect);
    if (auto* names = std::get_if<std::vector<std::string>>(&parsed)) return std::move(*names);
    problem = std::get<RecordCheck>(parsed);
  }
  throw BatchFailure("cannot read the header: line 1: " + problemText(problem));
}

RowLayout layoutOrFailure(std::variant<RowLayout, std::string> layout) {
  if (auto* message = std::get_if<std::string>(&layout)) throw BatchFailure(*message);
  return std::get<RowLayout>(std::move(layout));
}

void write(ByteSink& out, std::string_view text) { out.write(text.data(), text.size()); }

}  // namespace

BatchSummary runBatch(ByteSource& in, ByteSink& out, const BatchSettings& settings) {
  const TableDialect& dialect = settings.dialect;
  RecordScanner scanner(in, dialect);
  scanner.setLineBlocks(settings.lineBlocks);
  Chunk chunk;
  OutputText output;  // what goes out next
  // The byte-order mark is known once the first record has been looked for.
  const auto firstNext = [&](std::size_t maxRecords) {
    const bool any = scanner.next(chunk, settings.chunkBytes, maxRecords);
    if (scanner.hadByteOrderMark()) output.append(byteOrderMark);
    return any;
  };

  std::optional<std::vector<std::string>> names;
  if (settings.header) {
    // A header that spans lines need only be readable; its width is every record's.
    scanner.setValidator([&dialect](std::string_view record) {
      return std::holds_alternative<std::vector<std::string>>(headerNames(record, dialect));
    });
    if (!firstNext(1)) {
      write(out, output.view());
      out.flush();
      return {};
    }
    names = readHeader(chunk, dialect);
  }
  const RowLayout layout = layoutOrFailure(
      makeRowLayout(dialect, settings.columns, names, settings.ratings, DecimalSeparatorChar));
  scanner.setValidator([&layout](std::string_view record) { return isWellFormed(record, layout); });

  bool any;
  if (settings.header) {
    writeHeader(chunk.text(chunk.records.front()), chunk.records.front().lineEnd, layout, output);
    any = scanner.next(chunk, settings.chunkBytes);
  } else {
    any = firstNext(SIZE_MAX);
  }

  BatchSummary summary;
  if (any && settings.threads > 1 && !scanner.atEnd()) {
    // More than one chunk: the threads compute, this one reads and writes.
    write(out, output.view());
    ParallelRows rows(layout, settings.threads);
    bool firstTaken = false;
    summary = rows.run(
        [&](Chunk& next) {
          if (firstTaken) return scanner.next(next, settings.chunkBytes);
          firstTaken = true;
          std::swap(next, chunk);
          return true;
        },
        [&](std::string_view text) { write(out, text); });
  } else {
    RowWriter writer(layout);
    for (; any; any = scanner.next(chunk, settings.chunkBytes)) {
      writer.write(chunk, output, summary);
      write(out, output.view());
      output.clear();
    }
    write(out, output.view());
  }
  out.flush();
  return summary;
}

}  // namespace pumpcalc::cli
