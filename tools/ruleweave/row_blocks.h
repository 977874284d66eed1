// RowBlock and RowPipeline: the rows of a delimited file in blocks, split into fields by one
// reading thread, interpreted by worker threads and handed back in file order. Both passes over a
// file (profiling, coding) run this way, so their results do not depend on the number of threads.
#ifndef RULEWEAVE_TOOLS_ROW_BLOCKS_H_
#define RULEWEAVE_TOOLS_ROW_BLOCKS_H_

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "csv_reader.h"

namespace ruleweave_cli {

// Consecutive rows of a file: each row's text (its line as read, or, for a row the reader had to
// parse, its fields back to back) and the line it starts on; the worker that takes the block
// splits the lines into fields. A derived type may carry what a pass computes from the rows.
class RowBlock {
 public:
  virtual ~RowBlock() = default;

  int Rows() const { return mRows; }
  // The fields of row `row` (as many as the file has columns); valid while the block is.
  const std::string_view* Fields(int row) const {
    return mViews.data() + static_cast<std::size_t>(row) * mColumns;
  }
  // Physical line (from 1) on which row `row` starts.
  std::int64_t Line(int row) const { return mLines[static_cast<std::size_t>(row)]; }
  // The fraction of the file read when the block was complete (-1: unknown).
  double Fraction() const { return mFraction; }

  // The pass's failure on row `goodRows` (a pass works on the rows before it only), or null.
  std::exception_ptr workError;
  int goodRows = 0;
  // The reading failure that followed the block's last row, or null.
  std::exception_ptr readError;

 private:
  friend class RowPipeline;
  void Clear(std::size_t columns);
  // A row read into fields, and a row as its line's text, to be split by MakeViews.
  void Append(const std::vector<std::string_view>& fields, std::int64_t line);
  void AppendLine(std::string_view text, std::int64_t line);
  // The fields of every row; a line that does not split sets goodRows and throws.
  void MakeViews(const LineSplit& split);

  std::size_t mColumns = 0;
  int mRows = 0;
  double mFraction = -1;
  bool mLast = false;
  std::uint64_t mSequence = 0;
  std::string mText;
  std::vector<std::size_t> mBounds;  // per field of a row read into fields: start and length
  // Per row: where its line's text starts in mText (and its length), or, for a row read into
  // fields, SIZE_MAX and where its fields start in mBounds.
  std::vector<std::size_t> mRowAt;
  std::vector<std::size_t> mRowSize;
  std::vector<std::int64_t> mLines;
  std::vector<std::string_view> mViews;
  std::vector<std::string_view> mSplit;  // scratch of MakeViews
};

// How a pipeline reads: threads that interpret blocks (1 or less: everything on the calling
// thread) and rows per block.
struct RowPipelineShape {
  int threads = 1;
  int blockRows = 4096;
};

// Reads the rows of `reader` (header already read) in blocks, runs `work` on each block, and
// hands the blocks back in file order through Next(). With more than one thread a reading thread
// fills blocks and `threads` workers run `work` while the caller consumes earlier blocks; at most
// a few blocks per thread are in memory. `work` runs on several blocks at once and must only
// touch its block and what is safe to share. The reader is used by the pipeline until it is
// destroyed; a CsvReader's error is kept in the block it ended (readError) and `work`'s
// exception in workError, so that the caller meets every failure in file order.
class RowPipeline {
 public:
  using Work = std::function<void(RowBlock&)>;
  using MakeBlock = std::function<std::unique_ptr<RowBlock>()>;

  RowPipeline(CsvReader& reader, RowPipelineShape shape, Work work, MakeBlock makeBlock);
  RowPipeline(const RowPipeline&) = delete;
  RowPipeline& operator=(const RowPipeline&) = delete;
  // Stops the threads (a caller may leave before the end).
  ~RowPipeline();

  // The next block, worked on; null after the last. The block returned before goes back to the
  // pool, so it must not be used after this call.
  RowBlock* Next();

 private:
  // Fills `block` with the next rows; false when the input ended (or failed) with it.
  bool Fill(RowBlock& block);
  void Run(RowBlock& block);
  void ReadLoop();
  void WorkLoop();

  CsvReader& mReader;
  RowPipelineShape mShape;
  Work mWork;
  std::size_t mColumns;
  std::vector<std::unique_ptr<RowBlock>> mBlocks;
  RowBlock* mLent = nullptr;  // the block the caller holds
  bool mEnded = false;
  std::uint64_t mNextToHand = 0;

  // Shared with the threads, under mMutex.
  std::mutex mMutex;
  std::condition_variable mChanged;
  std::vector<RowBlock*> mFree;
  std::deque<RowBlock*> mFilled;  // in file order, waiting for a worker
  std::vector<RowBlock*> mDone;   // worked on, in any order
  bool mStop = false;
  std::vector<std::thread> mThreads;
};

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_ROW_BLOCKS_H_
