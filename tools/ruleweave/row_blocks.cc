// The block pipeline: one thread splits rows (the reader's work is sequential by nature: a
// quoted field may hold line breaks), workers interpret blocks, the caller takes them in order.
#include "row_blocks.h"

#include <algorithm>
#include <cstdint>

namespace ruleweave_cli {

namespace {

// A block also ends once its text passes this size, so that wide rows keep blocks small.
constexpr std::size_t kBlockTextBytes = std::size_t{4} << 20;

}  // namespace

void RowBlock::Clear(std::size_t columns) {
  mColumns = columns;
  mRows = 0;
  mFraction = -1;
  mLast = false;
  mText.clear();
  mBounds.clear();
  mRowAt.clear();
  mRowSize.clear();
  mLines.clear();
  workError = nullptr;
  readError = nullptr;
  goodRows = 0;
}

void RowBlock::Append(const std::vector<std::string_view>& fields, std::int64_t line) {
  mRowAt.push_back(SIZE_MAX);
  mRowSize.push_back(mBounds.size());
  for (const std::string_view field : fields) {
    mBounds.push_back(mText.size());
    mBounds.push_back(field.size());
    mText.append(field);
  }
  mLines.push_back(line);
  ++mRows;
}

void RowBlock::AppendLine(std::string_view text, std::int64_t line) {
  mRowAt.push_back(mText.size());
  mRowSize.push_back(text.size());
  mText.append(text);
  mLines.push_back(line);
  ++mRows;
}

void RowBlock::MakeViews(const LineSplit& split) {
  mViews.resize(static_cast<std::size_t>(mRows) * mColumns);
  for (int r = 0; r < mRows; ++r) {
    const auto row = static_cast<std::size_t>(r);
    std::string_view* out = mViews.data() + row * mColumns;
    if (mRowAt[row] == SIZE_MAX) {
      const std::size_t* bounds = mBounds.data() + mRowSize[row];
      for (std::size_t c = 0; c < mColumns; ++c) {
        out[c] = std::string_view(mText.data() + bounds[2 * c], bounds[2 * c + 1]);
      }
      continue;
    }
    try {
      SplitLine(std::string_view(mText.data() + mRowAt[row], mRowSize[row]), split, mLines[row],
                mSplit);
    } catch (...) {
      goodRows = r;
      throw;
    }
    std::copy(mSplit.begin(), mSplit.end(), out);
  }
}

RowPipeline::RowPipeline(CsvReader& reader, RowPipelineShape shape, Work work, MakeBlock makeBlock)
    : mReader(reader), mShape(shape), mWork(std::move(work)), mColumns(reader.Header().size()) {
  mShape.blockRows = std::max(mShape.blockRows, 1);
  const int threads = std::max(mShape.threads, 1);
  // Enough blocks that the reader runs ahead of the workers and the workers of the caller.
  const int blocks = threads == 1 ? 1 : 2 * threads + 2;
  for (int i = 0; i < blocks; ++i) {
    mBlocks.push_back(makeBlock());
    mFree.push_back(mBlocks.back().get());
  }
  if (threads > 1) {
    mThreads.emplace_back(&RowPipeline::ReadLoop, this);
    for (int i = 0; i < threads; ++i) mThreads.emplace_back(&RowPipeline::WorkLoop, this);
  }
}

RowPipeline::~RowPipeline() {
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mStop = true;
  }
  mChanged.notify_all();
  for (std::thread& thread : mThreads) thread.join();
}

bool RowPipeline::Fill(RowBlock& block) {
  block.Clear(mColumns);
  try {
    while (block.mRows < mShape.blockRows && block.mText.size() < kBlockTextBytes) {
      std::string_view line;
      const CsvReader::RowForm form = mReader.NextRowOrLine(line);
      if (form == CsvReader::RowForm::kEnd) {
        block.mLast = true;
        break;
      }
      if (form == CsvReader::RowForm::kLine) {
        block.AppendLine(line, mReader.RowLine());
      } else {
        block.Append(mReader.Fields(), mReader.RowLine());
      }
    }
  } catch (...) {
    block.readError = std::current_exception();
    block.mLast = true;
  }
  block.mFraction = mReader.Fraction();
  return !block.mLast;
}

void RowPipeline::Run(RowBlock& block) {
  block.goodRows = block.mRows;
  block.workError = nullptr;
  try {
    block.MakeViews(mReader.Split());
  } catch (...) {
    block.workError = std::current_exception();
  }
  try {
    mWork(block);
  } catch (...) {
    block.workError = std::current_exception();
  }
}

void RowPipeline::ReadLoop() {
  std::uint64_t sequence = 0;
  for (;;) {
    RowBlock* block = nullptr;
    {
      std::unique_lock<std::mutex> lock(mMutex);
      mChanged.wait(lock, [this] { return mStop || !mFree.empty(); });
      if (mStop) return;
      block = mFree.back();
      mFree.pop_back();
    }
    const bool more = Fill(*block);
    block->mSequence = sequence++;
    {
      std::lock_guard<std::mutex> lock(mMutex);
      mFilled.push_back(block);
    }
    mChanged.notify_all();
    if (!more) return;
  }
}

void RowPipeline::WorkLoop() {
  for (;;) {
    RowBlock* block = nullptr;
    {
      std::unique_lock<std::mutex> lock(mMutex);
      mChanged.wait(lock, [this] { return mStop || !mFilled.empty(); });
      if (mStop) return;
      block = mFilled.front();
      mFilled.pop_front();
    }
    Run(*block);
    {
      std::lock_guard<std::mutex> lock(mMutex);
      mDone.push_back(block);
    }
    mChanged.notify_all();
  }
}

RowBlock* RowPipeline::Next() {
  if (mEnded) return nullptr;
  RowBlock* block = nullptr;
  if (mThreads.empty()) {
    block = mLent != nullptr ? mLent : mFree.back();
    mLent = nullptr;
    Fill(*block);
    Run(*block);
  } else {
    std::unique_lock<std::mutex> lock(mMutex);
    if (mLent != nullptr) {
      mFree.push_back(mLent);
      mLent = nullptr;
      mChanged.notify_all();
    }
    for (;;) {
      const auto it = std::find_if(mDone.begin(), mDone.end(), [this](const RowBlock* done) {
        return done->mSequence == mNextToHand;
      });
      if (it != mDone.end()) {
        block = *it;
        mDone.erase(it);
        break;
      }
      mChanged.wait(lock);
    }
  }
  ++mNextToHand;
  if (block->mLast) mEnded = true;
  if (block->mLast && block->Rows() == 0 && !block->readError) {
    if (mThreads.empty()) {
      mLent = block;
    } else {
      std::lock_guard<std::mutex> lock(mMutex);
      mFree.push_back(block);
    }
    return nullptr;
  }
  mLent = block;
  return block;
}

}  // namespace ruleweave_cli
