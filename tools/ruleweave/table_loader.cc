// Building the variable list of a delimited file, coding its rows into records, loading them,
// and the console's progress line and Ctrl-C handling.
#include "table_loader.h"

#include <signal.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <ostream>
#include <sstream>

namespace ruleweave_cli {

namespace {

// Set by the SIGINT handler and read by InterruptCancel. A signal handler can only talk to the
// program through a flag of static storage, so this is the program's one global.
volatile std::sig_atomic_t gInterrupted = 0;

extern "C" void OnInterrupt(int) {
  gInterrupted = 1;
  std::signal(SIGINT, SIG_DFL);  // a second Ctrl-C ends the program at once
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

DataSource DataSource::File(const std::string& path) {
  DataSource source;
  source.mName = path;
  return source;
}

DataSource DataSource::Text(const std::string& name, std::string text) {
  DataSource source;
  source.mName = name;
  source.mInMemory = true;
  source.mText = std::make_shared<const std::string>(std::move(text));
  return source;
}

std::unique_ptr<std::istream> DataSource::Open() const {
  if (mInMemory) return std::make_unique<std::istringstream>(*mText);
  auto file = std::make_unique<std::ifstream>(mName, std::ios::binary);
  if (!*file) {
    throw InputError(mName, 0, 0, "cannot open the file for reading");
  }
  return file;
}

InterruptCancel::InterruptCancel() {
  // A program started in the background by a shell without job control inherits an ignored
  // SIGINT; it keeps ignoring it, as such programs should.
  struct sigaction previous {};
  if (sigaction(SIGINT, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) return;
  std::signal(SIGINT, OnInterrupt);
}

bool InterruptCancel::IsCancelled() { return gInterrupted != 0; }

ConsoleProgress::ConsoleProgress(std::ostream& err, bool enabled)
    : mErr(err), mEnabled(enabled), mStart(std::chrono::steady_clock::now()), mLastShown(mStart) {}

ConsoleProgress::~ConsoleProgress() { Done(); }

void ConsoleProgress::SetStage(const std::string& stage) {
  mStage = stage;
  mStart = std::chrono::steady_clock::now();
  Show(stage + ":", true);
}

void ConsoleProgress::Show(const std::string& text, bool force) {
  if (!mEnabled) return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && now - mLastShown < std::chrono::milliseconds(100)) return;
  mLastShown = now;
  const double seconds = std::chrono::duration<double>(now - mStart).count();
  char elapsed[32];
  std::snprintf(elapsed, sizeof elapsed, "  %.1f s", seconds);
  mErr << '\r' << text << elapsed << "\033[K" << std::flush;
  mShowing = true;
}

void ConsoleProgress::Rows(const std::string& stage, std::int64_t rows) {
  if (stage != mStage) SetStage(stage);
  Show(stage + ": " + std::to_string(rows) + " rows", false);
}

bool ConsoleProgress::OnProgress(ProgressReport* report) {
  if (!mEnabled || report == nullptr) return true;
  const auto now = std::chrono::steady_clock::now();
  if (now - mLastShown < std::chrono::milliseconds(100)) return true;
  std::string text = mStage + ":";
  const int cases = report->DiscreteMeasure("cases");
  const int rules = report->DiscreteMeasure("rules");
  const int candidates = report->DiscreteMeasure("candidates");
  if (cases >= 0) text += " " + std::to_string(cases) + " cases";
  if (rules >= 0) text += " rules " + std::to_string(rules);
  if (candidates >= 0) text += " candidates " + std::to_string(candidates);
  Show(text, true);
  return true;
}

void ConsoleProgress::Done() {
  if (mEnabled && mShowing) {
    mErr << "\r\033[K" << std::flush;
    mShowing = false;
  }
}

std::unique_ptr<DLVarList> BuildVarList(const TablePlan& plan) {
  auto vars = std::make_unique<DLVarList>();
  for (const ColumnPlan& column : plan.columns) {
    IDLVar::VarRole role = IDLVar::kUnused;
    switch (column.role) {
      case ColumnRole::kPredictor:
        role = IDLVar::kPredictor;
        break;
      case ColumnRole::kTarget:
        role = IDLVar::kTarget;
        break;
      case ColumnRole::kWeight:
        role = IDLVar::kFreqWeight;
        break;
      case ColumnRole::kUnused:
        role = IDLVar::kUnused;
        break;
    }
    const bool nominal =
        column.kind == ColumnKind::kNominalNumeric || column.kind == ColumnKind::kNominalString;
    const IDLVar::VarDataType numericType = column.integral ? IDLVar::kInteger : IDLVar::kDouble;
    int index = -1;
    switch (column.kind) {
      case ColumnKind::kContinuous:
        index = vars->AddContVar(column.name, "", column.min, column.max, role);
        break;
      case ColumnKind::kNominalNumeric:
      case ColumnKind::kOrdinalNumeric:
        index =
            vars->AddCatVar(column.name, "", column.numericCategories, nominal, role, numericType);
        break;
      case ColumnKind::kNominalString:
      case ColumnKind::kOrdinalString:
        if (column.categoriesKnown) {
          index = vars->AddCatVar(column.name, "", column.stringCategories, nominal, role);
        } else {
          index = vars->AddCatVar(column.name, "", IDLVar::kNominalString, role, IDLVar::kString);
        }
        break;
      case ColumnKind::kWeight:
        index = vars->AddFreqWeightVar(column.name, "", IDLVar::kRound);
        break;
      case ColumnKind::kIgnored:
        index = vars->AddCatVar(column.name, "", IDLVar::kNominalString, IDLVar::kUnused,
                                IDLVar::kString);
        break;
    }
    if (index < 0) {
      throw LibraryError("the variable list refused column " + Quoted(column.name),
                         QXDecision::QXStatus());
    }
  }
  return vars;
}

RowCoder::RowCoder(const TablePlan& plan, DLVarList& vars, const ColumnOptions& options)
    : mPlan(plan), mVars(vars), mOptions(options), mSmallCodes(plan.columns.size()) {
  for (std::size_t i = 0; i < plan.columns.size(); ++i) {
    const ColumnKind kind = plan.columns[i].kind;
    if (kind == ColumnKind::kNominalNumeric || kind == ColumnKind::kOrdinalNumeric) {
      mSmallCodes[i].assign(kSmallIntLimit, -1);
    }
  }
}

namespace {

int EncodeNumber(IDLVar& var, double value) {
  IDLEncoder* encoder = var.GetEncoder();
  if (var.GetMeasureLevel() == IDLVar::kOrdinalNumeric) {
    return static_cast<DLCatNumOrdinalEncoder*>(encoder)->Encode(value);
  }
  return static_cast<DLCatNumNominalEncoder*>(encoder)->Encode(value);
}

int EncodeText(IDLVar& var, std::string_view value) {
  IDLEncoder* encoder = var.GetEncoder();
  if (var.GetMeasureLevel() == IDLVar::kOrdinalString) {
    return static_cast<DLCatStrOrdinalEncoder*>(encoder)->Encode(std::string(value));
  }
  return static_cast<DLCatStrNominalEncoder*>(encoder)->Encode(std::string(value));
}

InputError Changed(const CsvReader& reader, const std::string& column, std::string_view field) {
  return InputError(reader.FileName(), reader.RowLine(), 0,
                    "column " + Quoted(column) + " holds the value " + Quoted(std::string(field)) +
                        ", which is not a number (did the file change while it was read?)");
}

}  // namespace

WeightVerdict JudgeWeight(std::string_view field, const MissingTokens& missing, const IDLVar& var,
                          double& rounded) {
  double w = 0;
  if (missing.IsMissing(field) || !ParseNumber(field, w)) return WeightVerdict::kMissing;
  if (!std::isfinite(w)) return WeightVerdict::kTooLarge;
  // The encoder rounds and turns 0 or less into missing; the data set stores below 2^31 only.
  rounded = static_cast<const DLRoundEncoder*>(var.GetEncoder())->Encode(w);
  if (QXMV::IsMissing(rounded)) return WeightVerdict::kNotPositive;
  if (!std::isfinite(rounded) || rounded >= 2147483648.0) return WeightVerdict::kTooLarge;
  return WeightVerdict::kUsable;
}

LeftOutRows& LeftOutRows::operator+=(const LeftOutRows& other) {
  weightMissing += other.weightMissing;
  weightNotPositive += other.weightNotPositive;
  weightTooLarge += other.weightTooLarge;
  targetMissing += other.targetMissing;
  return *this;
}

void LeftOutRows::Count(WeightVerdict verdict) {
  switch (verdict) {
    case WeightVerdict::kMissing:
      ++weightMissing;
      break;
    case WeightVerdict::kNotPositive:
      ++weightNotPositive;
      break;
    case WeightVerdict::kTooLarge:
      ++weightTooLarge;
      break;
    case WeightVerdict::kUsable:
      break;
  }
}

std::string WeightNote(const LeftOutRows& left) {
  const std::int64_t total = left.weightMissing + left.weightNotPositive + left.weightTooLarge;
  if (total == 0) return "";
  std::string note = std::to_string(total) + (total == 1 ? " row" : " rows") + " dropped:";
  const char* separator = " ";
  auto add = [&](std::int64_t n, const char* why) {
    if (n == 0) return;
    note += separator + std::to_string(n) + why;
    separator = ", ";
  };
  add(left.weightMissing, " weight missing");
  add(left.weightNotPositive, " weight 0 or less");
  add(left.weightTooLarge, " weight too large");
  return note;
}

WeightVerdict RowCoder::Weight(const CsvReader& reader, double& weight) const {
  weight = 1;
  if (mPlan.weightIndex < 0) return WeightVerdict::kUsable;
  return JudgeWeight(reader.Fields()[static_cast<std::size_t>(mPlan.weightIndex)], mOptions.missing,
                     *mVars.GetVarAt(mPlan.weightIndex), weight);
}

void RowCoder::Code(const CsvReader& reader, QXCommon::Record& record) {
  const auto& fields = reader.Fields();
  const std::size_t n = mPlan.columns.size();
  for (std::size_t i = 0; i < n; ++i) {
    const ColumnPlan& column = mPlan.columns[i];
    const int at = static_cast<int>(i);
    if (column.kind == ColumnKind::kIgnored || column.absent) {
      record[at] = -1;
      continue;
    }
    const std::string_view field = fields[i];
    const bool missing = mOptions.missing.IsMissing(field);
    double number = 0;
    switch (column.kind) {
      case ColumnKind::kContinuous:
        if (missing) {
          record[at] = QXMV::Missing();
        } else if (ParseNumber(field, number)) {
          record[at] = number;
        } else {
          throw Changed(reader, column.name, field);
        }
        break;
      case ColumnKind::kWeight:
        if (missing) {
          record[at] = QXMV::Missing();
        } else if (ParseNumber(field, number)) {
          const IDLVar* var = mVars.GetVarAt(at);
          record[at] = static_cast<const DLRoundEncoder*>(var->GetEncoder())->Encode(number);
        } else {
          throw Changed(reader, column.name, field);
        }
        break;
      case ColumnKind::kNominalNumeric:
      case ColumnKind::kOrdinalNumeric:
        if (missing) {
          record[at] = -1;
        } else if (int small = 0; SmallCanonicalInt(field, small)) {
          int& code = mSmallCodes[i][static_cast<std::size_t>(small)];
          if (code < 0) code = EncodeNumber(*mVars.GetVarAt(at), small);
          record[at] = code;
        } else if (ParseNumber(field, number)) {
          record[at] = EncodeNumber(*mVars.GetVarAt(at), number);
        } else {
          throw Changed(reader, column.name, field);
        }
        break;
      case ColumnKind::kNominalString:
      case ColumnKind::kOrdinalString:
        record[at] = missing ? -1 : EncodeText(*mVars.GetVarAt(at), field);
        break;
      case ColumnKind::kIgnored:
        break;
    }
  }
}

CsvRecordSource::CsvRecordSource(CsvReader& reader, RowCoder& coder, int numVars,
                                 QXQueryCancel& cancel, const LoadFilter& filter)
    : mReader(reader), mCoder(coder), mCancel(cancel), mFilter(filter), mRecord(numVars) {}

bool CsvRecordSource::Take() {
  mCoder.Code(mReader, mRecord);
  const int target = mCoder.Plan().targetIndex;
  const int targetCode = target < 0 ? -1 : static_cast<int>(mRecord[target]);
  if (target >= 0 && mFilter.dropMissingTarget && targetCode < 0) {
    ++mLeftOut.targetMissing;
    return false;
  }
  if (mFilter.take && target >= 0 && targetCode >= 0 && !mFilter.take(targetCode)) return false;
  double weight = 1;
  const WeightVerdict verdict = mCoder.Weight(mReader, weight);
  mLeftOut.Count(verdict);
  if (verdict != WeightVerdict::kUsable) return false;
  mWeightedCases += weight;
  return true;
}

bool CsvRecordSource::HasNext() {
  if (!mFetched) {
    mFetched = true;
    mHave = false;
    if (mError || mCancel.IsCancelled()) return false;
    try {
      while ((mHave = mReader.NextRow())) {
        const bool taken = Take();
        if (mFilter.rowCases) mCaseOfRow.push_back(taken ? mCases : -1);
        if (taken) {
          ++mCases;
          break;
        }
      }
    } catch (const InputError& error) {
      mError = error;
      mHave = false;
    }
  }
  return mHave;
}

const QXCommon::Record* CsvRecordSource::Next() {
  if (!HasNext()) return nullptr;
  mFetched = false;
  return &mRecord;
}

LibraryError::LibraryError(const std::string& what, const QXDecision::QXStatus& status)
    : std::runtime_error(what), mStatus(status) {}

void LoadData(const DataSource& source, const ColumnOptions& options, LoadedTable& table,
              ConsoleProgress& progress, QXQueryCancel& cancel, const LoadFilter& filter,
              DLVarList* vars) {
  DLVarList& varList = vars ? *vars : *table.vars;
  const auto start = std::chrono::steady_clock::now();
  std::unique_ptr<std::istream> in = source.Open();
  CsvReader reader(*in, source.Name(), options.delimiter);
  reader.ReadHeader();
  if (reader.Header() != table.header) {
    throw InputError(source.Name(), 1, 0, "the header changed while the file was read");
  }
  RowCoder coder(table.plan, varList, options);
  CsvRecordSource records(reader, coder, varList.Size(), cancel, filter);

  DLSettings settings;
  settings.UseLargeCategory(table.plan.largeCategories);
  settings.SetCancelPointer(&cancel);
  if (progress.Enabled()) {
    settings.SetProgressListener(&progress);
    settings.SetNumOfSkippedReports(4096);
  }
  progress.SetStage("loading");
  DLFactory factory;
  std::unique_ptr<DLDataSet> data(factory.CreateDataSet(settings, varList, records));
  const QXDecision::QXStatus status = factory.GetStatus();
  progress.Done();
  if (records.Error()) throw *records.Error();
  if (cancel.IsCancelled() || status.GetErrorCode() == 1) throw Cancelled{};
  if (!data || !status.IsOK()) throw LibraryError("loading " + source.Name() + " failed", status);
  if (data->GetNumOfCases() != records.Cases()) {
    // Every record handed over is a usable row; a data set that kept fewer would break the
    // pairing of rows and cases.
    throw LibraryError("loading " + source.Name() + " kept fewer rows than were given", status);
  }
  table.data = std::move(data);
  table.caseOfRow = records.CaseOfRow();
  table.leftOut = records.LeftOut();
  table.weightedCases = records.WeightedCases();
  table.loadSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace ruleweave_cli
