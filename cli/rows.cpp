#include "cli/rows.h"

#include <algorithm>

#include "core/decimal_format.h"
#include "core/errors.h"
#include "core/float_unit.h"
#include "core/pump_power.h"

namespace pumpcalc::cli {
namespace {

// The input's line end in CSV; TSV lines have always ended in LF.
std::string_view lineEndText(const TableDialect& dialect, LineEnd end) {
  return dialect.format == TableFormat::csv && end == LineEnd::crlf ? "\r\n" : "\n";
}

// The fields of the layout's first `columns` columns: 3, or 4 with the specific gravity's.
template <std::size_t columns>
struct SelectedFields {
  std::size_t count = 0;
  FieldSpan fields[columns];  // flow, head, efficiency, specific gravity
};

template <std::size_t columns>
RecordCheck selectFields(std::string_view record, const RowLayout& layout,
                         SelectedFields<columns>& selected) {
  const auto select = [&](std::size_t index, const FieldSpan& span) {
    ++selected.count;
    for (std::size_t k = 0; k < columns; ++k) {
      if (layout.columns[k] == index) selected.fields[k] = span;
    }
  };
  return forEachField(record, layout.dialect, select);
}

// "error" and the message, after the record and its separator: the row failed.
void appendError(OutputText& out, std::string_view message, const TableDialect& dialect,
                 BatchSummary& summary) {
  ++summary.failedLines;
  out.append("error");
  out.push_back(dialect.separator);
  appendField(out, message, dialect);
}

// A call of its own in the flattened writeResults: its argument is stored whole, which the
// callee's loads take from the store buffer, and the formatting is not copied three times.
[[gnu::noinline]] void appendNumber(OutputText& out, ExtendedReal value, const RowLayout& layout,
                                    FloatUnitState& unit) {
  if (layout.quoteNumbers) {
    char text[formatBufferSize];
    appendField(out, {text, formatGeneralInto(value, 15, 0, text, unit)}, layout.dialect);
    return;
  }
  out.advance(formatGeneralInto(value, 15, 0, out.room(formatBufferSize), unit));
}

}  // namespace

void appendField(OutputText& out, std::string_view text, const TableDialect& dialect) {
  const auto needsQuotes = [&dialect](char c) {
    return c == dialect.separator || c == '"' || c == '\n' || c == '\r';
  };
  if (dialect.format != TableFormat::csv || std::none_of(text.begin(), text.end(), needsQuotes)) {
    out.append(text);
    return;
  }
  out.push_back('"');
  for (const char c : text) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
}

void writeHeader(std::string_view record, LineEnd lineEnd, const RowLayout& layout,
                 OutputText& out) {
  std::vector<std::string_view> names = {"shaft power (kW)", "lower motor power (kW)",
                                         "upper motor power (kW)"};
  if (layout.margin) names.push_back("required motor power (kW)");
  if (layout.ratings != nullptr) names.push_back("motor rating (kW)");
  out.append(record);
  for (const std::string_view name : names) {
    out.push_back(layout.dialect.separator);
    appendField(out, name, layout.dialect);
  }
  out.append(lineEndText(layout.dialect, lineEnd));
}

void RowWriter::write(const Chunk& chunk, OutputText& out, BatchSummary& summary) {
  if (gravityColumn_) {
    writeRows<4>(chunk, out, summary);
  } else {
    writeRows<3>(chunk, out, summary);
  }
}

template <std::size_t columns>
void RowWriter::writeRows(const Chunk& chunk, OutputText& out, BatchSummary& summary) {
  FloatUnitState& unit = floatUnit();  // once: a thread_local may cost a call per access
  if (chunk.lineBlock) {
    LineRecords lines(chunk);
    for (RecordSpan span; lines.next(span);) {
      writeRow<columns>(chunk.text(span), span, out, summary, unit);
    }
    return;
  }
  for (const RecordSpan& span : chunk.records) {
    writeRow<columns>(chunk.text(span), span, out, summary, unit);
  }
}

template <std::size_t columns>
void RowWriter::writeRow(std::string_view record, const RecordSpan& span, OutputText& out,
                         BatchSummary& summary, FloatUnitState& unit) {
  ++summary.lines;
  const TableDialect& dialect = layout_.dialect;
  SelectedFields<columns> selected;
  const RecordCheck check = span.dropped.problem != RecordProblem::none
                                ? span.dropped
                                : selectFields(record, layout_, selected);
  if (check.problem != RecordProblem::none) {
    // Not echoed: the record's bytes would not make a readable line.
    out.push_back(dialect.separator);
    appendError(out,
                "line " + std::to_string(span.line) + ": " + problemText(check, dialect.encoding),
                dialect, summary);
  } else {
    out.append(record);
    out.push_back(dialect.separator);
    if (!fitsWidth(selected.count, layout_.width, layout_.widthIsMinimum)) {
      appendError(out, layout_.widthMessage + std::to_string(selected.count), dialect, summary);
    } else if (extras_) {
      writeResults<true>(record, selected.fields, out, summary, unit);
    } else {
      writeResults<false>(record, selected.fields, out, summary, unit);
    }
  }
  out.append(lineEndText(dialect, span.lineEnd));
}

// Everything a row's results call but appendNumber is inlined here (with link-time
// optimisation, the core's functions too): the values pass in registers rather than through
// memory (see pumpcalc_link_time_optimized in CMakeLists.txt). Without the specific gravity
// and the margin (`extras`), the row has nothing to ask about them.
template <bool extras>
[[gnu::flatten]] void RowWriter::writeResults(std::string_view record, const FieldSpan* fields,
                                              OutputText& out, BatchSummary& summary,
                                              FloatUnitState& unit) {
  const TableDialect& dialect = layout_.dialect;
  std::string_view texts[4];
  for (std::size_t k = 0; k < 3; ++k) texts[k] = fieldText(record, fields[k], scratch_[k]);
  try {
    const auto flow = [&] { return texts[0]; };
    const auto head = [&] { return texts[1]; };
    const auto efficiency = [&] { return texts[2]; };
    PumpResult result;
    ExtendedReal motorPower;  // the one the rating is chosen from
    if constexpr (extras) {
      // Water's, where none is given: a specific gravity of 1 changes no bit.
      texts[3] = gravityColumn_            ? fieldText(record, fields[3], scratch_[3])
                 : layout_.specificGravity ? std::string_view(*layout_.specificGravity)
                                           : std::string_view("1");
      const PumpValues values = calculatePumpPowerValues(
          flow, head, [&] { return texts[3]; }, efficiency, unit);
      result = values;
      // Computed before anything is written: a row that fails writes only its error.
      motorPower = layout_.margin
                       ? requiredMotorPower(*layout_.margin, values.product, values.divisor, unit)
                       : values.lowerMotorPower;
    } else {
      result = calculatePumpPowerValues(flow, head, efficiency, unit);
      motorPower = result.lowerMotorPower;
    }
    appendNumber(out, result.shaftPower, layout_, unit);
    out.push_back(dialect.separator);
    appendNumber(out, result.lowerMotorPower, layout_, unit);
    out.push_back(dialect.separator);
    appendNumber(out, result.upperMotorPower, layout_, unit);
    if (extras && layout_.margin) {
      out.push_back(dialect.separator);
      appendNumber(out, motorPower, layout_, unit);
    }
    if (layout_.ratings != nullptr) {
      out.push_back(dialect.separator);
      const RatingChoice choice = layout_.ratings->choose(motorPower);
      if (choice.aboveLargest) {
        appendField(out, ">" + choice.rating.text, dialect);
      } else {
        appendField(out, choice.rating.text, dialect);  // no string built: the common case
      }
    }
  } catch (const Exception& error) {
    appendError(out, error.message(), dialect, summary);
  }
}

ParallelRows::ParallelRows(const RowLayout& layout, unsigned threads)
    : layout_(layout), maxHeld_(2 * std::size_t{threads}) {
  threads_.reserve(threads);
  for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this] { compute(); });
}

ParallelRows::~ParallelRows() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  workReady_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void ParallelRows::compute() {
  resetFloatUnit();
  RowWriter writer(layout_);
  for (;;) {
    Job* job;
    {
      std::unique_lock lock(mutex_);
      workReady_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
      if (stopping_) return;
      job = waiting_.front();
      waiting_.pop_front();
    }
    try {
      writer.write(job->chunk, job->output, job->summary);
    } catch (...) {
      job->error = std::current_exception();
    }
    {
      const std::lock_guard lock(mutex_);
      job->done = true;
    }
    jobDone_.notify_one();
  }
}

BatchSummary ParallelRows::run(const std::function<bool(Chunk&)>& next,
                               const std::function<void(std::string_view)>& write) {
  BatchSummary total;
  bool inputLeft = true;
  for (;;) {
    while (inputLeft && held_.size() < maxHeld_) {
      std::unique_ptr<Job> job;
      if (spare_.empty()) {
        job = std::make_unique<Job>();
      } else {
        job = std::move(spare_.back());
        spare_.pop_back();
      }
      if (!next(job->chunk)) {
        inputLeft = false;
        spare_.push_back(std::move(job));
        break;
      }
      job->output.clear();
      job->summary = {};
      job->error = nullptr;
      job->done = false;
      {
        const std::lock_guard lock(mutex_);
        waiting_.push_back(job.get());
      }
      workReady_.notify_one();
      held_.push_back(std::move(job));
    }
    if (held_.empty()) return total;
    Job& oldest = *held_.front();
    {
      std::unique_lock lock(mutex_);
      jobDone_.wait(lock, [&oldest] { return oldest.done; });
    }
    if (oldest.error) std::rethrow_exception(oldest.error);
    write(oldest.output.view());
    total += oldest.summary;
    spare_.push_back(std::move(held_.front()));
    held_.pop_front();
  }
}

}  // namespace pumpcalc::cli
