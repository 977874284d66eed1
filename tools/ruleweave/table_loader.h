// From a delimited file to the library's inputs: the variable list built from a column plan, a
// record source that codes each row through the variables' encoders, and the console's progress
// display and Ctrl-C cancel object that loading and searching report to.
#ifndef RULEWEAVE_TOOLS_TABLE_LOADER_H_
#define RULEWEAVE_TOOLS_TABLE_LOADER_H_

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <ruleweave/ruleweave.h>

#include "column_plan.h"
#include "csv_reader.h"
#include "data_source.h"
#include "row_blocks.h"

namespace ruleweave_cli {

// The reading format the column options give.
inline CsvFormat ReadFormat(const ColumnOptions& options) {
  CsvFormat format;
  format.delimiter = options.delimiter;
  format.checkDelimiter = !options.delimiterGiven;
  format.encoding = options.encoding;
  format.maxFieldBytes = options.maxFieldBytes;
  return format;
}

// Ctrl-C: the first SIGINT sets a flag that this cancel object reports; a second one ends the
// program at once.
class InterruptCancel : public QXQueryCancel {
 public:
  // Installs the SIGINT handler.
  InterruptCancel();
  bool IsCancelled() override;
};

// Progress on the error stream: on a terminal one line rewritten in place a few times a second;
// elsewhere (a log file) plain lines, one a second at most, with no control codes. The caller
// decides whether it is shown at all. When the size of the input is known, reading and loading
// show the percentage done and the time left. The stream is borrowed and must outlive the
// object.
class ConsoleProgress : public ProgressListener {
 public:
  ConsoleProgress(std::ostream& err, bool enabled, bool terminal = true);
  ~ConsoleProgress() override;
  bool Enabled() const { return mEnabled; }

  // Sets what the library's reports are about ("loading", "searching").
  void SetStage(const std::string& stage);
  // Rows read by the program's own passes, and the fraction of the input read (-1: unknown).
  void Rows(const std::string& stage, std::int64_t rows, double fraction = -1);
  // Where the library's reports find the fraction of the input read (empty: nowhere).
  void TrackFraction(std::function<double()> fraction) { mFraction = std::move(fraction); }
  bool OnProgress(ProgressReport* report) override;
  // Clears the progress line.
  void Done();

 private:
  void Show(const std::string& text, bool force);
  // ", 42%, 10 s left" for the fraction done, or nothing while it is unknown.
  std::string FractionText(double fraction) const;

  std::ostream& mErr;
  bool mEnabled;
  bool mTerminal;
  std::function<double()> mFraction;
  std::string mStage;
  std::chrono::steady_clock::time_point mStart;
  std::chrono::steady_clock::time_point mLastShown;
  bool mShowing = false;
};

// Builds the variable list of a plan: one variable per column in file order (ignored columns
// stay in place with the unused role), the weight as a frequency-weight variable that rounds.
std::unique_ptr<DLVarList> BuildVarList(const TablePlan& plan);

// Why a row's weight leaves it out of the data, or kUsable.
enum class WeightVerdict { kUsable, kMissing, kNotPositive, kTooLarge };

// The one rule for a usable weight, shared by every command: the field is not a missing token
// and holds a number that, rounded as the weight variable `var` rounds, is at least 1 and below
// 2^31 (the range the data set stores; it drops any other weight itself). `rounded` receives the
// rounded weight of a usable field.
WeightVerdict JudgeWeight(std::string_view field, const MissingTokens& missing, const IDLVar& var,
                          double& rounded);

// Rows a load left out, by reason.
struct LeftOutRows {
  std::int64_t weightMissing = 0;
  std::int64_t weightNotPositive = 0;
  std::int64_t weightTooLarge = 0;
  std::int64_t targetMissing = 0;
  LeftOutRows& operator+=(const LeftOutRows& other);
  void Count(WeightVerdict verdict);
};

// "N rows dropped: A weight missing, B weight 0 or less, C weight too large" (only the reasons
// that occur); empty when no row was dropped for its weight.
std::string WeightNote(const LeftOutRows& left);

// Which rows a load takes. Rows are offered in file order, the same rows on every pass.
struct LoadFilter {
  // Rows whose target is missing are left out (and counted).
  bool dropMissingTarget = false;
  // Asked for each row whose target is present (before its weight is judged, so that every
  // pass asks about the same rows) with the row's target code; false leaves the row out of this
  // data set. Empty: every row.
  std::function<bool(int targetCode)> take;
  // Keep the case of every row (LoadedTable::caseOfRow), for writing the rows out again.
  bool rowCases = false;
};

// The codes of the texts met so far in one column, found without copying the text: each
// distinct text is parsed and encoded once.
class TextCodes {
 public:
  // The code of `text`, or null when it was not met yet.
  const int* Find(std::string_view text) const {
    const auto it = mCodes.find(text);
    return it == mCodes.end() ? nullptr : &it->second;
  }
  void Add(std::string_view text, int code) {
    mTexts.emplace_back(text);
    mCodes.emplace(mTexts.back(), code);
  }

 private:
  std::deque<std::string> mTexts;  // the keys' characters; a deque never moves its elements
  std::unordered_map<std::string_view, int> mCodes;
};

// Codes rows into records: continuous values as numbers, categories through the variable's
// encoder (new categories get the next code), the weight through its rounding encoder, missing
// values as the system-missing value or -1. The codes of the categories a plan knows are looked
// up in tables made once, which several threads may read at a time (CodeKnown); categories met
// only while loading get their codes on one thread, in file order (CodeRest).
class RowCoder {
 public:
  RowCoder(const TablePlan& plan, DLVarList& vars, const ColumnOptions& options,
           std::string fileName = std::string());
  // Codes the values of one row (`fields`, one per column, from line `line`) into `values`,
  // leaving NaN where CodeRest must code: a category the plan does not know. Safe to call from
  // several threads at once. Returns whether every value was coded. Throws InputError for a value
  // that does not fit the column.
  bool CodeKnown(const std::string_view* fields, std::int64_t line, double* values) const;
  // Codes the values CodeKnown left; called for the rows in file order.
  void CodeRest(const std::string_view* fields, double* values);
  // The verdict on the row's weight (kUsable when the table has no weight), and the weight the
  // row counts with. Safe to call from several threads at once.
  WeightVerdict Weight(const std::string_view* fields, double& weight) const;
  WeightVerdict Weight(const CsvReader& reader, double& weight) const {
    return Weight(reader.Fields().data(), weight);
  }
  const TablePlan& Plan() const { return mPlan; }

 private:
  void Prepare();
  // The code of a numeric category, or -1 when the plan does not know it.
  int KnownNumber(std::size_t column, double value) const;

  const TablePlan& mPlan;
  DLVarList& mVars;
  std::string mFileName;
  std::vector<MissingTokens> mMissing;  // per column
  // Per numeric categorical column, the code of each small canonical integer text the plan
  // knows (-1: not known), which spares most parsing and lookups; and the codes of its numbers.
  std::vector<std::vector<int>> mSmallCodes;
  std::vector<std::unordered_map<double, int>> mNumberCodes;
  // Per categorical column with known categories, the codes of its texts.
  std::vector<TextCodes> mTextCodes;
  // Per categorical column, the texts coded by CodeRest (only CodeRest touches them).
  std::vector<TextCodes> mLateCodes;
};

// The library's record source over a delimited file, read through a RowPipeline: worker threads
// code blocks of rows, and the rows are offered in file order. An error in the file does not
// travel through the library: it ends the records early and is kept for the caller (Error()).
// Rows the filter or the weight rule leave out never reach the library, so every record it is
// given becomes a case: the cases are the taken rows, in order (CaseOfRow()).
class CsvRecordSource : public QXCommon::RecordIterator {
 public:
  CsvRecordSource(CsvReader& reader, RowCoder& coder, int numVars, QXQueryCancel& cancel,
                  const LoadFilter& filter, RowPipelineShape shape, std::int64_t expectedRows);
  ~CsvRecordSource() override;
  bool HasNext() override;
  const QXCommon::Record* Next() override;
  long long ExpectedRecords() override { return mExpectedRows; }
  const std::optional<InputError>& Error() const { return mError; }
  // Per data row, in file order: its case index, or -1 for a row left out (kept only with
  // LoadFilter::rowCases).
  const std::vector<int>& CaseOfRow() const { return mCaseOfRow; }
  int Cases() const { return mCases; }
  const LeftOutRows& LeftOut() const { return mLeftOut; }
  double WeightedCases() const { return mWeightedCases; }
  // The fraction of the file read by the rows offered so far (-1: unknown).
  double Fraction() const { return mFraction; }

 private:
  class CodedBlock;
  // Whether row `row` of the current block becomes a case (then it is in mRecord).
  bool Take(int row);

  RowCoder& mCoder;
  QXQueryCancel& mCancel;
  const LoadFilter& mFilter;
  std::size_t mNumVars;
  std::unique_ptr<RowPipeline> mPipeline;
  CodedBlock* mBlock = nullptr;
  int mRow = 0;
  QXCommon::Record mRecord;
  bool mFetched = false;
  bool mHave = false;
  std::optional<InputError> mError;
  std::vector<int> mCaseOfRow;
  LeftOutRows mLeftOut;
  int mCases = 0;
  double mWeightedCases = 0;
  double mFraction = -1;
  long long mExpectedRows;
};

// A library status that ended an operation.
class LibraryError : public std::runtime_error {
 public:
  LibraryError(const std::string& what, const QXDecision::QXStatus& status);
  const QXDecision::QXStatus& Status() const { return mStatus; }

 private:
  QXDecision::QXStatus mStatus;
};

// A loaded table: its plan, variable list and data set (which borrows the list).
struct LoadedTable {
  std::vector<std::string> header;
  TablePlan plan;
  std::unique_ptr<DLVarList> vars;
  std::unique_ptr<DLDataSet> data;
  double loadSeconds = 0;
  std::vector<int> caseOfRow;  // per data row: its case index, or -1 (LoadFilter::rowCases)
  LeftOutRows leftOut;
  double weightedCases = 0;  // summed weights of the cases
};

// Second pass: loads the rows of `source` that `filter` and the weight rule take into a data set
// through DLFactory::CreateDataSet, coded through `vars` (null: the table's own list, which
// must then exist). Throws Cancelled, InputError or LibraryError.
void LoadData(const DataSource& source, const ColumnOptions& options, LoadedTable& table,
              ConsoleProgress& progress, QXQueryCancel& cancel,
              const LoadFilter& filter = LoadFilter(), DLVarList* vars = nullptr);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_TABLE_LOADER_H_
