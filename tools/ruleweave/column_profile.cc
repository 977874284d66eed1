// Profiling the columns of a delimited file: the first pass over the rows, counting what each
// column holds (numbers, whole numbers, texts, missing values, distinct values up to a cap).
// Worker threads profile blocks of rows on their own; the blocks are then merged in file order,
// so that the result is the one a single pass over the rows would give.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <memory>
#include <thread>
#include <unordered_map>

#include "column_plan.h"
#include "row_blocks.h"

namespace ruleweave_cli {

namespace {

template <typename T>
bool Contains(const std::vector<T>& values, const T& value) {
  return std::find(values.begin(), values.end(), value) != values.end();
}

// What one block says about one column.
struct ColumnPart {
  std::int64_t missing = 0;
  std::int64_t present = 0;
  bool allNumeric = true;  // as ColumnProfile, over the block's rows
  bool allIntegral = true;
  bool hasNumber = false;  // min and max hold a value
  double min = 0;
  double max = 0;
  std::int64_t firstNonNumericLine = 0;
  std::string firstNonNumericText;
  // Distinct texts in order of first appearance and each row's entry among them (-1: missing),
  // up to row `trackedRows`. Not kept for a column already capped or ignored.
  bool tracked = false;
  int trackedRows = 0;
  std::vector<int> ids;
  std::vector<std::string_view> texts;
  std::unordered_map<std::string_view, int> entries;
  std::vector<int> smallEntry;  // entry of each small canonical integer text, -1 if none
  std::vector<int> smallUsed;   // the slots of smallEntry to reset

  void Reset(bool track, int rows) {
    missing = present = 0;
    allNumeric = allIntegral = true;
    hasNumber = false;
    min = max = 0;
    firstNonNumericLine = 0;
    firstNonNumericText.clear();
    tracked = track;
    trackedRows = rows;
    texts.clear();
    entries.clear();
    for (const int slot : smallUsed) smallEntry[static_cast<std::size_t>(slot)] = -1;
    smallUsed.clear();
    if (track) {
      ids.assign(static_cast<std::size_t>(rows), -1);
      if (smallEntry.empty()) smallEntry.assign(kSmallIntLimit, -1);
    }
  }
};

class ProfileBlock : public RowBlock {
 public:
  std::vector<ColumnPart> parts;
};

// What every block's profiling shares: read-only while the workers run, but for the capped
// flags, which the merge raises and the workers read (a late read costs only work).
class Profiler {
 public:
  Profiler(const std::vector<std::string>& header, const ColumnOptions& options,
           std::size_t distinctCap)
      : mCap(distinctCap), mCapped(new std::atomic<bool>[header.size()]) {
    for (std::size_t i = 0; i < header.size(); ++i) {
      mMissing.push_back(options.missing.ForColumn(header[i]));
      mKeepAll.push_back(Contains(options.nominal, header[i]) ||
                         Contains(options.ordinal, header[i]) || header[i] == options.target);
      mIgnored.push_back(Contains(options.ignore, header[i]));
      mCapped[i].store(false);
    }
  }

  void Work(ProfileBlock& block) const;
  void Merge(const ProfileBlock& block, std::vector<ColumnProfile>& profiles);

 private:
  void MergeTexts(const ProfileBlock& block, const ColumnPart& part, std::size_t column,
                  ColumnProfile& p);

  std::size_t mCap;
  std::vector<MissingTokens> mMissing;
  std::vector<bool> mKeepAll;
  std::vector<bool> mIgnored;
  std::unique_ptr<std::atomic<bool>[]> mCapped;
  std::vector<int> mGlobalOf;  // merge scratch: a block entry's profile entry
  std::string mKey;
};

void Profiler::Work(ProfileBlock& block) const {
  const std::size_t n = mMissing.size();
  const int rows = block.goodRows;
  block.parts.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    block.parts[i].Reset(!mIgnored[i] && !mCapped[i].load(std::memory_order_relaxed), rows);
  }
  for (int r = 0; r < rows; ++r) {
    const std::string_view* fields = block.Fields(r);
    for (std::size_t i = 0; i < n; ++i) {
      ColumnPart& part = block.parts[i];
      const std::string_view field = fields[i];
      if (mMissing[i].IsMissing(field)) {
        ++part.missing;
        continue;
      }
      ++part.present;
      if (mIgnored[i]) continue;
      // Category codes are mostly small whole numbers: their value and their entry come
      // without parsing or hashing.
      int small = 0;
      const bool isSmall = SmallCanonicalInt(field, small);
      if (part.allNumeric) {
        double v = small;
        if (isSmall || ParseNumber(field, v)) {
          if (!part.hasNumber) {
            part.min = part.max = v;
            part.hasNumber = true;
          } else {
            part.min = std::min(part.min, v);
            part.max = std::max(part.max, v);
          }
          if (part.allIntegral && v != std::floor(v)) part.allIntegral = false;
        } else {
          part.allNumeric = false;
          part.allIntegral = false;
          part.firstNonNumericLine = block.Line(r);
          part.firstNonNumericText = std::string(field);
        }
      }
      if (!part.tracked || r >= part.trackedRows) continue;
      int* slot = nullptr;
      if (isSmall) {
        slot = &part.smallEntry[static_cast<std::size_t>(small)];
        if (*slot >= 0) {
          part.ids[static_cast<std::size_t>(r)] = *slot;
          continue;
        }
      }
      int id = -1;
      const auto it = part.entries.find(field);
      if (it != part.entries.end()) {
        id = it->second;
      } else if (!mKeepAll[i] && part.texts.size() > mCap) {
        // cap + 1 distinct texts in this block alone: the column is capped before this row
        // (see MergeTexts), so the rest of the block is not needed.
        part.trackedRows = r;
        continue;
      } else {
        id = static_cast<int>(part.texts.size());
        part.texts.push_back(field);
        part.entries.emplace(field, id);
      }
      if (slot != nullptr) {
        *slot = id;
        part.smallUsed.push_back(small);
      }
      part.ids[static_cast<std::size_t>(r)] = id;
    }
  }
}

// Replays the block's rows against the profile, as a single pass would meet them.
void Profiler::MergeTexts(const ProfileBlock& block, const ColumnPart& part, std::size_t column,
                          ColumnProfile& p) {
  mGlobalOf.assign(part.texts.size(), -1);
  for (int r = 0; r < part.trackedRows; ++r) {
    const int id = part.ids[static_cast<std::size_t>(r)];
    if (id < 0) continue;
    int& entry = mGlobalOf[static_cast<std::size_t>(id)];
    if (entry < 0) {
      mKey.assign(part.texts[static_cast<std::size_t>(id)]);
      const auto it = p.index.find(mKey);
      if (it == p.index.end()) {
        if (!mKeepAll[column] && p.texts.size() >= mCap) {
          p.capped = true;
          break;
        }
        entry = static_cast<int>(p.texts.size());
        p.index.emplace(mKey, p.texts.size());
        p.texts.push_back(mKey);
        p.counts.push_back(1);
        p.firstLines.push_back(block.Line(r));
        continue;
      }
      entry = static_cast<int>(it->second);
    }
    ++p.counts[static_cast<std::size_t>(entry)];
    p.allDistinct = false;
  }
  // A block whose own distinct texts passed the cap has capped the column by now; the flag is
  // raised in any case, so that no later block is read short.
  if (part.trackedRows < block.Rows()) p.capped = true;
  if (p.capped) mCapped[column].store(true, std::memory_order_relaxed);
}

void Profiler::Merge(const ProfileBlock& block, std::vector<ColumnProfile>& profiles) {
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    ColumnProfile& p = profiles[i];
    const ColumnPart& part = block.parts[i];
    const bool hadValues = p.present > 0;
    p.missing += part.missing;
    p.present += part.present;
    if (mIgnored[i]) continue;
    if (p.allNumeric) {
      // While every value is a number, min and max are those of every value so far.
      if (part.hasNumber) {
        p.min = hadValues ? std::min(p.min, part.min) : part.min;
        p.max = hadValues ? std::max(p.max, part.max) : part.max;
      }
      p.allIntegral = p.allIntegral && part.allIntegral;
      if (!part.allNumeric) {
        p.allNumeric = false;
        p.firstNonNumericLine = part.firstNonNumericLine;
        p.firstNonNumericText = part.firstNonNumericText;
      }
    }
    if (!p.capped && part.tracked) MergeTexts(block, part, i, p);
  }
}

}  // namespace

std::vector<ColumnProfile> ProfileColumns(CsvReader& reader, const ColumnOptions& options,
                                          std::size_t distinctCap, const RowPoll& poll) {
  const std::vector<std::string>& header = reader.Header();
  std::vector<ColumnProfile> profiles(header.size());
  for (std::size_t i = 0; i < header.size(); ++i) profiles[i].name = header[i];
  Profiler profiler(header, options, distinctCap);
  RowPipeline pipeline(
      reader, ReadShape(options),
      [&profiler](RowBlock& block) { profiler.Work(static_cast<ProfileBlock&>(block)); },
      [] { return std::make_unique<ProfileBlock>(); });
  std::int64_t rows = 0;
  double fraction = -1;
  while (RowBlock* block = pipeline.Next()) {
    if (block->workError) std::rethrow_exception(block->workError);
    profiler.Merge(static_cast<const ProfileBlock&>(*block), profiles);
    rows += block->Rows();
    fraction = block->Fraction();
    if (block->readError) std::rethrow_exception(block->readError);
    if (poll && !poll(rows, fraction)) throw Cancelled{};
  }
  if (poll && !poll(rows, fraction)) throw Cancelled{};
  return profiles;
}

RowPipelineShape ReadShape(const ColumnOptions& options) {
  RowPipelineShape shape;
  shape.threads = options.readThreads > 0
                      ? options.readThreads
                      : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  shape.blockRows = options.blockRows;
  return shape;
}

}  // namespace ruleweave_cli
