// libFuzzer target: any bytes as a delimited file, through everything the command-line program
// does before a search: reading, column profiling and planning, the variable list and loading.
// The first byte chooses the delimiter, the encoding, the field-length limit and the columns'
// roles; the rest is the file. Beyond the sanitizers the target checks the reader's and the
// loader's contracts:
//   - only the documented errors (InputError, UsageError) end a read;
//   - every row has as many fields as the header;
//   - two buffer sizes (one tiny, so that rows cross the buffer's end everywhere) give the same
//     rows, lines and errors;
//   - a row written back with QuoteField reads back as the same fields;
//   - each column's missing and present values add up to the rows, its counts to its values;
//   - every row the coder keeps is one loaded case.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <ruleweave/ruleweave.h>

#include "column_plan.h"
#include "command_support.h"
#include "csv_reader.h"
#include "data_source.h"
#include "table_loader.h"

namespace {

using namespace ruleweave_cli;

// A broken contract: stops the fuzzer with the message and the input kept.
#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      __builtin_trap();                                                                  \
    }                                                                                    \
  } while (false)

class NeverCancel : public QXQueryCancel {
 public:
  bool IsCancelled() override { return false; }
};

// Everything one reading gives: the header, the rows with the lines they start on, and the
// error that ended it (empty for none).
struct Reading {
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;
  std::vector<std::int64_t> lines;
  std::string error;
  bool operator==(const Reading& o) const {
    return header == o.header && rows == o.rows && lines == o.lines && error == o.error;
  }
};

Reading Read(const std::string& text, const CsvFormat& format) {
  Reading reading;
  std::istringstream in(text);
  CsvReader reader(in, "f.csv", format);
  try {
    reader.ReadHeader();
    reading.header = reader.Header();
    while (reader.NextRow()) {
      FUZZ_CHECK(reader.Fields().size() == reader.Header().size());
      reading.rows.emplace_back(reader.Fields().begin(), reader.Fields().end());
      reading.lines.push_back(reader.RowLine());
    }
  } catch (const InputError& error) {
    reading.error = error.what();
  }
  return reading;
}

std::string Line(const std::vector<std::string>& fields, char delimiter) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) line += delimiter;
    line += QuoteField(fields[i], delimiter);
  }
  return line + "\n";
}

// Writes the header and each row back with QuoteField: they read back unchanged.
void CheckRequoting(const Reading& reading, char delimiter) {
  if (reading.header.empty()) return;
  CsvFormat format;
  format.delimiter = delimiter;
  format.checkDelimiter = false;
  format.bufferBytes = 256;
  for (const auto& row : reading.rows) {
    const Reading again = Read(Line(reading.header, delimiter) + Line(row, delimiter), format);
    FUZZ_CHECK(again.error.empty());
    FUZZ_CHECK(again.header == reading.header);
    FUZZ_CHECK(again.rows.size() == 1 && again.rows[0] == row);
  }
}

// Roles from the control byte's upper bits, for a header of n columns.
ColumnOptions Options(std::uint8_t control, const std::vector<std::string>& header,
                      const CsvFormat& format) {
  ColumnOptions options;
  options.delimiter = format.delimiter;
  options.delimiterGiven = !format.checkDelimiter;
  options.encoding = format.encoding;
  options.maxFieldBytes = format.maxFieldBytes;
  const std::size_t n = header.size();
  options.target = header[n - 1];
  if ((control & 0x20) && n >= 3) options.weight = header[0];
  if ((control & 0x40) && n >= 3) options.ordinal.push_back(header[1]);
  if ((control & 0x80) && n >= 4) options.nominal.push_back(header[2]);
  if ((control & 0x10) && n >= 5) options.ignore.push_back(header[3]);
  options.missing.Add("NA");
  // Small blocks, on one or two threads, reach the merging of blocks in every pass.
  options.readThreads = 1 + ((control >> 1) & 1);
  options.blockRows = 1 + control % 3;
  return options;
}

void CheckCounts(const std::vector<ColumnProfile>& profiles, const TablePlan& plan,
                 std::int64_t rows) {
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    const ColumnProfile& p = profiles[i];
    FUZZ_CHECK(p.missing + p.present == rows);
    std::int64_t counted = 0;
    for (const std::int64_t c : p.counts) counted += c;
    const bool ignored = plan.columns[i].kind == ColumnKind::kIgnored;
    if (!p.capped && !ignored) FUZZ_CHECK(counted == p.present);
    const ColumnPlan& c = plan.columns[i];
    if (IsCategorical(c.kind) && c.categoriesKnown) {
      std::int64_t categories = 0;
      for (const std::int64_t k : c.categoryCounts) categories += k;
      FUZZ_CHECK(categories == p.present);
    }
  }
}

// Profiles, plans and loads the file as search does (rows without a target left out, the case
// of every row kept); checks the counts, and that the kept rows, judged again row by row with
// the one weight rule, are the loaded cases in order.
void Load(const std::string& text, std::uint8_t control, const CsvFormat& format,
          const Reading& reading) {
  const ColumnOptions options = Options(control, reading.header, format);
  const DataSource source = DataSource::Text("f.csv", text);
  LoadedTable table;
  NeverCancel cancel;
  ConsoleProgress progress(std::cerr, false);
  try {
    std::unique_ptr<InputStream> in = source.Open();
    CsvReader reader(*in, source.Name(), format);
    reader.ReadHeader();
    CheckColumnOptions(reader.Header(), options);
    // As the commands do; a small cap on distinct values reaches the capped paths.
    const std::vector<ColumnProfile> profiles = ProfileFile(reader, options, 16, progress, cancel);
    table.header = reader.Header();
    table.plan = PlanTable(profiles, options, source.Name());
    CheckCounts(profiles, table.plan, reader.RowsRead());
  } catch (const InputError&) {
    return;
  } catch (const UsageError&) {
    return;
  }
  table.vars = BuildVarList(table.plan);
  LoadFilter filter;
  filter.dropMissingTarget = true;
  filter.rowCases = true;
  // The plan read every row, so loading fails only when no row is kept.
  bool loaded = true;
  try {
    LoadData(source, options, table, progress, cancel, filter);
  } catch (const InputError&) {
    loaded = false;
  }

  std::unique_ptr<InputStream> in = source.Open();
  CsvReader reader(*in, source.Name(), format);
  reader.ReadHeader();
  RowCoder coder(table.plan, *table.vars, options);
  const MissingTokens targetMissing = options.missing.ForColumn(options.target);
  const std::size_t target = static_cast<std::size_t>(table.plan.targetIndex);
  std::int64_t rows = 0;
  std::int64_t kept = 0;
  while (reader.NextRow()) {
    double weight = 0;
    const bool taken = !targetMissing.IsMissing(reader.Fields()[target]) &&
                       coder.Weight(reader, weight) == WeightVerdict::kUsable;
    if (loaded) {
      FUZZ_CHECK(static_cast<std::size_t>(rows) < table.caseOfRow.size());
      FUZZ_CHECK(table.caseOfRow[static_cast<std::size_t>(rows)] == (taken ? kept : -1));
    }
    kept += taken ? 1 : 0;
    ++rows;
  }
  FUZZ_CHECK(kept == (loaded ? table.data->GetNumOfCases() : 0));
  if (loaded) {
    const LeftOutRows& left = table.leftOut;
    FUZZ_CHECK(static_cast<std::int64_t>(table.caseOfRow.size()) == rows);
    FUZZ_CHECK(left.weightMissing + left.weightNotPositive + left.weightTooLarge +
                   left.targetMissing ==
               rows - kept);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t control = data[0];
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  CsvFormat format;
  format.delimiter = ",;\t|"[control & 3];
  format.checkDelimiter = (control & 4) == 0;
  format.encoding = (control & 8) ? TextEncoding::kLatin1 : TextEncoding::kUtf8;
  format.maxFieldBytes = (control & 0x30) == 0x30 ? 40 : kDefaultMaxFieldBytes;

  CsvFormat tiny = format;
  tiny.bufferBytes = 8 + control % 5;
  format.bufferBytes = 1 << 13;  // more than the longest input: no buffer boundary
  const Reading reading = Read(text, format);
  FUZZ_CHECK(Read(text, tiny) == reading);
  if (!reading.error.empty()) return 0;
  CheckRequoting(reading, format.delimiter);
  try {
    Load(text, control, tiny, reading);
  } catch (const LibraryError& error) {
    std::fprintf(stderr, "library error: %s: status %ld\n", error.what(),
                 error.Status().GetErrorCode());
    __builtin_trap();
  }
  return 0;
}
