// Building the variable list of a delimited file, coding its rows into records and loading them
// (the console's progress line and Ctrl-C handling are in console_progress.cc).
#include "table_loader.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
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

RowCoder::RowCoder(const TablePlan& plan, DLVarList& vars, const ColumnOptions& options)
    : mPlan(plan), mVars(vars), mSmallCodes(plan.columns.size()), mTextCodes(plan.columns.size()) {
  for (std::size_t i = 0; i < plan.columns.size(); ++i) {
    mMissing.push_back(options.missing.ForColumn(plan.columns[i].name));
    const ColumnPlan& column = plan.columns[i];
    if (column.kind == ColumnKind::kNominalNumeric || column.kind == ColumnKind::kOrdinalNumeric) {
      // As large as the column's largest small whole category needs, within a few times its
      // number of categories: memory follows what the column holds.
      const double bound = std::min<double>(kSmallIntLimit, 64 + 2.0 * column.numCategories);
      double largest = -1;
      for (const double v : column.numericCategories) {
        if (v >= 0 && v < bound && v == std::floor(v)) largest = std::max(largest, v);
      }
      mSmallCodes[i].assign(static_cast<std::size_t>(largest + 1), -1);
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
  return JudgeWeight(reader.Fields()[static_cast<std::size_t>(mPlan.weightIndex)],
                     mMissing[static_cast<std::size_t>(mPlan.weightIndex)],
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
    const bool missing = mMissing[i].IsMissing(field);
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
        } else if (int small = 0; SmallCanonicalInt(field, small) &&
                                  static_cast<std::size_t>(small) < mSmallCodes[i].size()) {
          int& code = mSmallCodes[i][static_cast<std::size_t>(small)];
          if (code < 0) code = EncodeNumber(*mVars.GetVarAt(at), small);
          record[at] = code;
        } else if (const int* code = mTextCodes[i].Find(field)) {
          record[at] = *code;
        } else if (ParseNumber(field, number)) {
          const int encoded = EncodeNumber(*mVars.GetVarAt(at), number);
          mTextCodes[i].Add(field, encoded);
          record[at] = encoded;
        } else {
          throw Changed(reader, column.name, field);
        }
        break;
      case ColumnKind::kNominalString:
      case ColumnKind::kOrdinalString:
        if (missing) {
          record[at] = -1;
        } else if (const int* code = mTextCodes[i].Find(field)) {
          record[at] = *code;
        } else {
          const int encoded = EncodeText(*mVars.GetVarAt(at), field);
          mTextCodes[i].Add(field, encoded);
          record[at] = encoded;
        }
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
  std::unique_ptr<InputStream> in = source.Open();
  CsvReader reader(*in, source.Name(), ReadFormat(options));
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
  progress.TrackFraction([&reader] { return reader.Fraction(); });
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
