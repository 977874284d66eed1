// Building the variable list of a delimited file, coding its rows into records and loading them
// (the console's progress line and Ctrl-C handling are in console_progress.cc).
#include "table_loader.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <ostream>

namespace ruleweave_cli {

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The data set's status for a load that took no record (see DLDataSet::InputData).
constexpr long kNothingLoaded = 110011;

}  // namespace

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

RowCoder::RowCoder(const TablePlan& plan, DLVarList& vars, const ColumnOptions& options,
                   std::string fileName)
    : mPlan(plan),
      mVars(vars),
      mFileName(std::move(fileName)),
      mSmallCodes(plan.columns.size()),
      mNumberCodes(plan.columns.size()),
      mTextCodes(plan.columns.size()),
      mLateCodes(plan.columns.size()) {
  for (std::size_t i = 0; i < plan.columns.size(); ++i) {
    mMissing.push_back(options.missing.ForColumn(plan.columns[i].name));
  }
  Prepare();
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

InputError Changed(const std::string& file, std::int64_t line, const std::string& column,
                   std::string_view field) {
  return InputError(file, line, 0,
                    "column " + Quoted(column) + " holds the value " + Quoted(std::string(field)) +
                        ", which is not a number (did the file change while it was read?)");
}

// Stands for a value CodeKnown leaves to CodeRest: no code or number the loader writes is NaN.
constexpr double kUncoded = std::numeric_limits<double>::quiet_NaN();

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

// The tables of the categories the plan knows, coded by their variables once.
void RowCoder::Prepare() {
  for (std::size_t i = 0; i < mPlan.columns.size(); ++i) {
    const ColumnPlan& column = mPlan.columns[i];
    if (column.kind == ColumnKind::kIgnored || column.absent) continue;
    IDLVar& var = *mVars.GetVarAt(static_cast<int>(i));
    if (column.kind == ColumnKind::kNominalNumeric || column.kind == ColumnKind::kOrdinalNumeric) {
      // As large as the column's largest small whole category needs, within a few times its
      // number of categories: memory follows what the column holds.
      const double bound = std::min<double>(kSmallIntLimit, 64 + 2.0 * column.numCategories);
      std::vector<int>& small = mSmallCodes[i];
      for (const double v : column.numericCategories) {
        const int code = EncodeNumber(var, v);
        mNumberCodes[i].emplace(v, code);
        if (v >= 0 && v < bound && v == std::floor(v)) {
          const auto slot = static_cast<std::size_t>(v);
          if (slot >= small.size()) small.resize(slot + 1, -1);
          small[slot] = code;
        }
      }
    } else if (IsCategorical(column.kind) && column.categoriesKnown) {
      for (const std::string& text : column.stringCategories) {
        mTextCodes[i].Add(text, EncodeText(var, text));
      }
    }
  }
}

int RowCoder::KnownNumber(std::size_t column, double value) const {
  const auto it = mNumberCodes[column].find(value);
  return it == mNumberCodes[column].end() ? -1 : it->second;
}

WeightVerdict RowCoder::Weight(const std::string_view* fields, double& weight) const {
  weight = 1;
  if (mPlan.weightIndex < 0) return WeightVerdict::kUsable;
  return JudgeWeight(fields[mPlan.weightIndex],
                     mMissing[static_cast<std::size_t>(mPlan.weightIndex)],
                     *mVars.GetVarAt(mPlan.weightIndex), weight);
}

bool RowCoder::CodeKnown(const std::string_view* fields, std::int64_t line, double* values) const {
  const std::size_t n = mPlan.columns.size();
  bool complete = true;
  for (std::size_t i = 0; i < n; ++i) {
    const ColumnPlan& column = mPlan.columns[i];
    double& value = values[i];
    if (column.kind == ColumnKind::kIgnored || column.absent) {
      value = -1;
      continue;
    }
    const std::string_view field = fields[i];
    const bool missing = mMissing[i].IsMissing(field);
    double number = 0;
    switch (column.kind) {
      case ColumnKind::kContinuous:
        if (missing) {
          value = QXMV::Missing();
        } else if (ParseNumber(field, number)) {
          value = number;
        } else {
          throw Changed(mFileName, line, column.name, field);
        }
        break;
      case ColumnKind::kWeight:
        if (missing) {
          value = QXMV::Missing();
        } else if (ParseNumber(field, number)) {
          const IDLVar* var = mVars.GetVarAt(static_cast<int>(i));
          value = static_cast<const DLRoundEncoder*>(var->GetEncoder())->Encode(number);
        } else {
          throw Changed(mFileName, line, column.name, field);
        }
        break;
      case ColumnKind::kNominalNumeric:
      case ColumnKind::kOrdinalNumeric:
        if (missing) {
          value = -1;
        } else if (int small = 0; SmallCanonicalInt(field, small) &&
                                  static_cast<std::size_t>(small) < mSmallCodes[i].size() &&
                                  mSmallCodes[i][static_cast<std::size_t>(small)] >= 0) {
          value = mSmallCodes[i][static_cast<std::size_t>(small)];
        } else if (ParseNumber(field, number)) {
          const int code = KnownNumber(i, number);
          value = code >= 0 ? code : kUncoded;
          complete = complete && code >= 0;
        } else {
          throw Changed(mFileName, line, column.name, field);
        }
        break;
      case ColumnKind::kNominalString:
      case ColumnKind::kOrdinalString:
        if (missing) {
          value = -1;
        } else if (const int* code = mTextCodes[i].Find(field)) {
          value = *code;
        } else {
          value = kUncoded;
          complete = false;
        }
        break;
      case ColumnKind::kIgnored:
        break;
    }
  }
  // Completeness is tracked where a value is left, not by testing each value: a test of the
  // value would wait for every number's division.
  return complete;
}

void RowCoder::CodeRest(const std::string_view* fields, double* values) {
  const std::size_t n = mPlan.columns.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (!std::isnan(values[i])) continue;
    const std::string_view field = fields[i];
    if (const int* code = mLateCodes[i].Find(field)) {
      values[i] = *code;
      continue;
    }
    IDLVar& var = *mVars.GetVarAt(static_cast<int>(i));
    const ColumnKind kind = mPlan.columns[i].kind;
    int code = -1;
    if (kind == ColumnKind::kNominalNumeric || kind == ColumnKind::kOrdinalNumeric) {
      double number = 0;
      ParseNumber(field, number);  // CodeKnown read it as a number
      code = EncodeNumber(var, number);
    } else {
      code = EncodeText(var, field);
    }
    mLateCodes[i].Add(field, code);
    values[i] = code;
  }
}

class CsvRecordSource::CodedBlock : public RowBlock {
 public:
  std::vector<double> values;  // per row, a value per variable
  std::vector<char> complete;  // per row: CodeKnown coded every value
  std::vector<WeightVerdict> verdicts;
  std::vector<double> weights;
};

CsvRecordSource::CsvRecordSource(CsvReader& reader, RowCoder& coder, int numVars,
                                 QXQueryCancel& cancel, const LoadFilter& filter,
                                 RowPipelineShape shape, std::int64_t expectedRows)
    : mCoder(coder),
      mCancel(cancel),
      mFilter(filter),
      mNumVars(static_cast<std::size_t>(numVars)),
      mRecord(numVars),
      mExpectedRows(expectedRows > 0 ? expectedRows : -1) {
  const RowCoder* coding = &coder;
  const std::size_t width = mNumVars;
  auto work = [coding, width](RowBlock& rows) {
    auto& block = static_cast<CodedBlock&>(rows);
    const auto n = static_cast<std::size_t>(block.Rows());
    block.values.resize(n * width);
    block.complete.resize(n);
    block.verdicts.resize(n);
    block.weights.resize(n);
    for (int r = 0; r < block.goodRows; ++r) {
      const auto at = static_cast<std::size_t>(r);
      try {
        block.complete[at] =
            coding->CodeKnown(block.Fields(r), block.Line(r), &block.values[at * width]);
      } catch (...) {
        block.goodRows = r;
        throw;
      }
      block.verdicts[at] = coding->Weight(block.Fields(r), block.weights[at]);
    }
  };
  mPipeline = std::make_unique<RowPipeline>(reader, shape, work,
                                            [] { return std::make_unique<CodedBlock>(); });
}

CsvRecordSource::~CsvRecordSource() = default;

bool CsvRecordSource::Take(int row) {
  CodedBlock& block = *mBlock;
  const auto at = static_cast<std::size_t>(row);
  double* values = &block.values[at * mNumVars];
  if (!block.complete[at]) mCoder.CodeRest(block.Fields(row), values);
  const int target = mCoder.Plan().targetIndex;
  const int targetCode = target < 0 ? -1 : static_cast<int>(values[target]);
  if (target >= 0 && mFilter.dropMissingTarget && targetCode < 0) {
    ++mLeftOut.targetMissing;
    return false;
  }
  if (mFilter.take && target >= 0 && targetCode >= 0 && !mFilter.take(targetCode)) return false;
  const WeightVerdict verdict = block.verdicts[at];
  mLeftOut.Count(verdict);
  if (verdict != WeightVerdict::kUsable) return false;
  mWeightedCases += block.weights[at];
  std::copy(values, values + mNumVars, mRecord.GetAll());
  return true;
}

bool CsvRecordSource::HasNext() {
  if (!mFetched) {
    mFetched = true;
    mHave = false;
    if (mError || mCancel.IsCancelled()) return false;
    try {
      for (;;) {
        if (mBlock == nullptr || mRow == mBlock->goodRows) {
          if (mBlock != nullptr && mBlock->workError) std::rethrow_exception(mBlock->workError);
          if (mBlock != nullptr && mBlock->readError) std::rethrow_exception(mBlock->readError);
          mBlock = static_cast<CodedBlock*>(mPipeline->Next());
          mRow = 0;
          if (mBlock == nullptr) break;
          mFraction = mBlock->Fraction();
          continue;
        }
        const bool taken = Take(mRow++);
        if (mFilter.rowCases) mCaseOfRow.push_back(taken ? mCases : -1);
        if (taken) {
          ++mCases;
          mHave = true;
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
  std::unique_ptr<InputStream> in = source.Open();
  CsvReader reader(*in, source.Name(), ReadFormat(options));
  reader.ReadHeader();
  if (reader.Header() != table.header) {
    throw InputError(source.Name(), 1, 0, "the header changed while the file was read");
  }
  RowCoder coder(table.plan, varList, options, source.Name());
  CsvRecordSource records(reader, coder, varList.Size(), cancel, filter, ReadShape(options),
                          table.plan.rows);

  DLSettings settings;
  settings.UseLargeCategory(table.plan.largeCategories);
  settings.SetCancelPointer(&cancel);
  if (progress.Enabled()) {
    settings.SetProgressListener(&progress);
    settings.SetNumOfSkippedReports(4096);
  }
  progress.SetStage("loading");
  progress.TrackFraction([&records] { return records.Fraction(); });
  DLFactory factory;
  std::unique_ptr<DLDataSet> data(factory.CreateDataSet(settings, varList, records));
  const QXDecision::QXStatus status = factory.GetStatus();
  progress.TrackFraction(nullptr);
  progress.Done();
  if (records.Error()) throw *records.Error();
  if (cancel.IsCancelled() || status.GetErrorCode() == 1) throw Cancelled{};
  // The first pass refuses a file without rows, so nothing loaded means the weights, missing
  // targets or the holdout draw left every row out: a fault of the data or the options, not of
  // the library.
  if (status.GetErrorCode() == kNothingLoaded && records.Cases() == 0) {
    const LeftOutRows& left = records.LeftOut();
    if (left.targetMissing == 0 && !filter.take && table.plan.weightIndex >= 0) {
      throw InputError(
          source.Name(), 0, 0,
          "no row has a usable weight in column \"" +
              table.plan.columns[static_cast<std::size_t>(table.plan.weightIndex)].name +
              "\" (each is missing, not a number, not positive once rounded or too large), so "
              "there is no case to load");
    }
    std::string why = "no row is left to load";
    const char* separator = ": ";
    if (left.targetMissing > 0) {
      why += separator + std::to_string(left.targetMissing) + " with the target missing";
      separator = "; ";
    }
    const std::string weights = WeightNote(left);
    if (!weights.empty()) why += separator + weights;
    if (filter.take) why += " (the other rows are on the other side of the --holdout split)";
    throw InputError(source.Name(), 0, 0, why);
  }
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
