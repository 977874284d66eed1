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

// Codes one row into a record: continuous values as numbers, categories through the variable's
// encoder (new categories get the next code), the weight through its rounding encoder, missing
// values as the system-missing value or -1. Throws InputError for a value that does not fit.
class RowCoder {
 public:
  RowCoder(const TablePlan& plan, DLVarList& vars, const ColumnOptions& options);
  void Code(const CsvReader& reader, QXCommon::Record& record);
  // Whether the row becomes a case (its weight, when there is one, is usable).
  bool Kept(const CsvReader& reader) const;

 private:
  const TablePlan& mPlan;
  DLVarList& mVars;
  std::vector<MissingTokens> mMissing;  // per column
  // Per numeric categorical column, the code of each small canonical integer text met so far
  // (-1: not yet asked), which spares most lookups in the encoder's dictionary.
  std::vector<std::vector<int>> mSmallCodes;
  // Per categorical column, the codes of the other texts met so far.
  std::vector<TextCodes> mTextCodes;
};

// The library's record source over a delimited file. An error in the file does not travel
// through the library: it ends the records early and is kept for the caller (Error()).
class CsvRecordSource : public QXCommon::RecordIterator {
 public:
  CsvRecordSource(CsvReader& reader, RowCoder& coder, int numVars, QXQueryCancel& cancel);
  bool HasNext() override;
  const QXCommon::Record* Next() override;
  const std::optional<InputError>& Error() const { return mError; }

 private:
  CsvReader& mReader;
  RowCoder& mCoder;
  QXQueryCancel& mCancel;
  QXCommon::Record mRecord;
  bool mFetched = false;
  bool mHave = false;
  std::optional<InputError> mError;
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
};

// Second pass: loads every row of `source` into a data set through DLFactory::CreateDataSet.
// Throws Cancelled, InputError or LibraryError.
void LoadData(const DataSource& source, const ColumnOptions& options, LoadedTable& table,
              ConsoleProgress& progress, QXQueryCancel& cancel);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_TABLE_LOADER_H_
