// The data views: common construction from a data set and a query, the raw and encoded views,
// equal-width and equal-frequency binning of continuous predictors, and ComputeMeasure.
#include "data/data_views.h"

#include <cmath>
#include <cstdint>
#include <ostream>
#include <utility>

#include "data/attributes.h"
#include "data/response_code.h"
#include "foundation/bit_walk.h"
#include "foundation/progress_throttle.h"
#include "foundation/worker_pool.h"
#include "ruleweave/data/data_query.h"
#include "ruleweave/data/data_set.h"
#include "ruleweave/foundation/bit_set.h"
#include "ruleweave/foundation/exceptions.h"
#include "ruleweave/foundation/measure.h"
#include "ruleweave/foundation/missing_value.h"
#include "ruleweave/foundation/parameters.h"
#include "ruleweave/variables/binning_encoder.h"
#include "ruleweave/variables/encoder.h"
#include "ruleweave/variables/var.h"
#include "ruleweave/variables/var_list.h"
#include "variables/binef_pre_process.h"

namespace {

using QXDecision::ConstructorException;

// Up to this many cases, sums of 32-bit weights (each below 2^31) stay below 2^53, where doubles
// add integers exactly.
constexpr int kExactWeightedCases = 1 << 22;

// A stored weight as the measures count it: the missing weight -1 (and any other negative or
// system-missing value) counts nothing.
inline double CountedWeight(double w) { return w > 0.0 ? w : 0.0; }

// Calls f(weightOf) with the fastest reader of case weights: 1 without a weight column, the
// stored 32-bit weights read directly, or (for any other column) GetValue. Weights as counted.
template <typename F>
void WithWeightReader(const IDLAttribute* weights, F f) {
  if (weights == nullptr) {
    f([](int) { return 1.0; });
  } else if (const auto* ints = dynamic_cast<const DLAttribute<0, 4>*>(weights)) {
    const std::int32_t* data = ints->GetData();
    f([data](int id) { return data[id] > 0 ? static_cast<double>(data[id]) : 0.0; });
  } else {
    f([weights](int id) { return CountedWeight(weights->GetValue(id)); });
  }
}

// Calls f(isResponse) with the fastest test of "case `id` has the response code": byte or int
// codes read directly, GetValue for any other column, never for a column of another length.
template <typename F>
void WithResponseTest(const IDLAttribute* target, long long code, int capacity, F f) {
  if (target == nullptr || target->GetNumOfCases() != capacity) {
    f([](int) { return false; });
  } else if (const auto* bytes = dynamic_cast<const DLAttributeColumn<std::uint8_t>*>(target)) {
    const std::uint8_t* codes = bytes->GetData();
    f([codes, code](int id) { return static_cast<long long>(codes[id]) == code; });
  } else if (const auto* ints = dynamic_cast<const DLAttributeColumn<std::int32_t>*>(target)) {
    const std::int32_t* codes = ints->GetData();
    f([codes, code](int id) { return static_cast<long long>(codes[id]) == code; });
  } else {
    // Not a coded column (a continuous target does not occur): compare the values.
    f([target, code](int id) { return target->GetValue(id) == static_cast<double>(code); });
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// DLDataView

DLDataView::DLDataView(const DLDataSet& dataset, const DLDataQuery& query)
    : mDataSet(&dataset),
      mQuery(&query),
      mNumOfCases(dataset.GetNumOfCases()),
      mVarList(std::make_unique<DLVarList>()) {
  if (mNumOfCases <= 0) throw ConstructorException("DLDataView", "dataset.NumOfCases > 0");
  std::vector<std::string> names = query.GetPredictorNames();
  names.push_back(query.GetTargetName());
  mVarList->Copy(dataset.GetVarList(), &names, query.GetTargetName());
  if (!mVarList->IsValidList(nullptr, nullptr)) {
    throw ConstructorException("DLDataView", "The query defines a valid variable list");
  }
}

DLDataView::~DLDataView() = default;

IDLAttribute* DLDataView::DataSetAttribute(const std::string& name) const {
  // The view reads the data set's columns and never changes them; the interface hands out
  // non-const pointers, so constness is dropped here, in one place.
  return const_cast<IDLAttribute*>(mDataSet->GetAttribute(name));
}

void DLDataView::AppendOwned(std::unique_ptr<IDLAttribute> attribute) {
  mAttributes.push_back(attribute.get());
  mOwned.push_back(std::move(attribute));
}

int DLDataView::GetNumOfAttributes() const { return mVarList->Size(); }

IDLAttribute* DLDataView::GetAttribute(int index) {
  if (index < 0 || index >= mVarList->Size() || index >= static_cast<int>(mAttributes.size())) {
    return nullptr;
  }
  return mAttributes[static_cast<std::size_t>(index)];
}

const IDLAttribute* DLDataView::GetAttribute(int index) const {
  return const_cast<DLDataView*>(this)->GetAttribute(index);
}

IDLAttribute* DLDataView::GetAttribute(const std::string& name) {
  if (name.empty()) return nullptr;
  return GetAttribute(mVarList->FindVar(name));
}

const IDLAttribute* DLDataView::GetAttribute(const std::string& name) const {
  return const_cast<DLDataView*>(this)->GetAttribute(name);
}

IDLAttribute* DLDataView::GetTargetAttribute() { return GetAttribute(mVarList->GetTargetIndex()); }

const IDLAttribute* DLDataView::GetTargetAttribute() const {
  return const_cast<DLDataView*>(this)->GetTargetAttribute();
}

IDLAttribute* DLDataView::GetFreqWeightAttribute() {
  const int index = mVarList->GetFreqWeightIndex();
  return index >= 0 ? GetAttribute(index) : nullptr;
}

const IDLAttribute* DLDataView::GetFreqWeightAttribute() const {
  return const_cast<DLDataView*>(this)->GetFreqWeightAttribute();
}

int DLDataView::ResponseCode(const IDLAttribute& target) const {
  return ruleweave::detail::EncodeResponse(target, mQuery->GetResponseVal());
}

void DLDataView::ComputeMeasure(DLMeasure& measure, const DLBitSet& cases) const {
  if (cases.IsEmpty()) {
    measure.Clear();
    return;
  }
  const int capacity = cases.GetCapacity();
  const IDLAttribute* weights = GetFreqWeightAttribute();
  // Zero coverage stops before the response value is coded (coding may add a category), so it
  // is settled first: a weight column of another length counts nothing, and otherwise the
  // coverage is positive exactly when some case has a positive weight.
  if (weights != nullptr) {
    bool positive = false;
    if (weights->GetNumOfCases() == capacity) {
      WithWeightReader(weights, [&](auto weightOf) {
        positive = ruleweave::detail::AnyElement(cases, [&](int id) { return weightOf(id) > 0.0; });
      });
    }
    if (!positive) {
      measure.Clear();
      return;
    }
  }

  const IDLAttribute* target = GetTargetAttribute();
  const long long code = target == nullptr ? -1 : ResponseCode(*target);

  // Without weights, or with stored 32-bit weights on a set small enough that no sum can reach
  // 2^53, the double sums below are sums of integers without rounding: integer tallies give the
  // same numbers in any order of the cases, and the count needs no pass at all.
  const auto* intWeights = dynamic_cast<const DLAttribute<0, 4>*>(weights);
  if (weights == nullptr || (intWeights != nullptr && capacity <= kExactWeightedCases)) {
    std::int64_t coverage = 0;
    std::int64_t response = 0;
    WithResponseTest(target, code, capacity, [&](auto isResponse) {
      if (intWeights == nullptr) {
        coverage = cases.GetNumOfElements();
        ruleweave::detail::ForEachElementInAnyOrder(
            cases, [&](int id) { response += isResponse(id) ? 1 : 0; });
      } else {
        const std::int32_t* stored = intWeights->GetData();
        ruleweave::detail::ForEachElementInAnyOrder(cases, [&](int id) {
          const std::int64_t w = stored[id] > 0 ? stored[id] : 0;
          coverage += w;
          response += isResponse(id) ? w : 0;
        });
      }
    });
    measure.SetValues(static_cast<double>(coverage), static_cast<double>(response));
    return;
  }

  // Any other weights: one pass sums both the coverage and the response, in case order.
  double coverage = 0.0;
  double response = 0.0;
  WithWeightReader(weights, [&](auto weightOf) {
    WithResponseTest(target, code, capacity, [&](auto isResponse) {
      ruleweave::detail::ForEachElement(cases, [&](int id) {
        const double w = weightOf(id);
        coverage += w;
        if (isResponse(id)) response += w;
      });
    });
  });
  measure.SetValues(coverage, response);
}

void DLDataView::Display(std::ostream& os) const {
  os << "\n"
     << "Begin display of DLDataView object."
     << "\n";
  os << "\t\t"
     << "Var meta data for this data view:"
     << "\n\t\t";
  mVarList->Display(os);
  os << "Num of attributes: " << mVarList->Size() << '\n';
  for (std::size_t i = 0; i < mAttributes.size(); ++i) {
    os << "Attribute " << i << '\n';
    if (mAttributes[i] != nullptr) mAttributes[i]->Display(os);
  }
  os << "End of display for DLDataView object.\n";
}

// ---------------------------------------------------------------------------------------------
// DLRawDataView

DLRawDataView::DLRawDataView(const DLDataSet& dataset, const DLDataQuery& query)
    : DLDataView(dataset, query) {
  const DLVarList& vars = GetVarList();
  for (int i = 0; i < vars.Size(); ++i) AppendBorrowed(DataSetAttribute(vars.GetVarNameAt(i)));
}

// ---------------------------------------------------------------------------------------------
// DLEncDataView

DLBinningException::DLBinningException()
    : ConstructorException("DLEncDataView", "Error Binning Method for Continue Variable(s).") {}

DLEncDataView::DLEncDataView(const DLParameters& param, const DLDataSet& dataset,
                             const DLDataQuery& query, DLWorkerPool* pool)
    : DLDataView(dataset, query) {
  if (param.GetNumOfBins() > dataset.GetMaxCategories()) {
    throw ConstructorException("DLEncDataView", "param.NumOfBins <= dataset.MaxCategories");
  }
  const int numOfBins = param.GetNumOfBins();
  const int binningType = param.GetBinningType();
  const bool largeCategory = dataset.IsUsingLargeCategory();
  const DLVarList& vars = GetVarList();
  const std::string weightName = vars.GetFreqWeightName();
  const IDLAttribute* weights = weightName.empty() ? nullptr : DataSetAttribute(weightName);

  // The continuous predictors are binned into slots of their own (any thread), then every column
  // is attached in the list's order.
  std::vector<int> continuous;
  for (int i = 0; i < vars.Size(); ++i) {
    if (vars.GetVarAt(i)->GetMeasureLevel() == IDLVar::kContinuous) continuous.push_back(i);
  }
  std::vector<std::unique_ptr<IDLAttribute>> binned(continuous.size());
  std::unique_ptr<DLWorkerPool> ownPool;
  if (pool == nullptr) {
    ownPool = std::make_unique<DLWorkerPool>(1);
    pool = ownPool.get();
  }
  const bool done = pool->Run(
      static_cast<int>(continuous.size()),
      [&](int, int k) {
        const IDLAttribute* column =
            DataSetAttribute(vars.GetVarAt(continuous[static_cast<std::size_t>(k)])->GetVarName());
        if (column == nullptr) return;
        binned[static_cast<std::size_t>(k)] =
            MakeBinnedAttribute(*column, weights, numOfBins, binningType, largeCategory);
      },
      [&param] { return IsSearchCancelled(param); });
  if (!done) throw DLCancelledException();

  std::size_t next = 0;
  for (int i = 0; i < vars.Size(); ++i) {
    const IDLVar* var = vars.GetVarAt(i);
    if (var->GetMeasureLevel() != IDLVar::kContinuous) {
      AppendBorrowed(DataSetAttribute(var->GetVarName()));
      continue;
    }
    std::unique_ptr<IDLAttribute> column = std::move(binned[next++]);
    if (column == nullptr) throw DLBinningException();
    AppendOwned(std::move(column));
  }
}

// ---------------------------------------------------------------------------------------------
// Binning

std::vector<double> ComputeEqualFrequencyCutpoints(const IDLAttribute& column,
                                                   const IDLAttribute* weights, int numOfBins) {
  const int n = column.GetNumOfCases();
  std::vector<BINEFPreProcessDL::ValueWeight> records;
  records.reserve(static_cast<std::size_t>(n));
  double totalWeight = 0.0;
  for (int i = 0; i < n; ++i) {
    // Stored weights are whole numbers already (the data set truncates them), so the pair's
    // integer weight and the total agree.
    const double weight = weights == nullptr ? 1.0 : CountedWeight(weights->GetValue(i));
    records.emplace_back(column.GetValue(i), static_cast<std::int32_t>(weight));
    totalWeight += weight;
  }
  BINEFPreProcessDL::SortRecords(records);

  BINEFPreProcessDL binner(numOfBins, /*trimTop=*/true);
  std::vector<double> cutpoints;
  std::vector<int> tallies;
  if (!binner.ComputeCutpoints(records, cutpoints, tallies, totalWeight)) return {};
  return cutpoints;
}

namespace {

// The encoder's bin of a value, found without Encode's unpredictable search where the cutpoints
// allow. For strictly increasing cutpoints and an encoder without user-missing values, the bin of
// a value that is neither missing nor NaN is the number of cutpoints below it (a value equal to
// cutpoint k falls in bin k, as Encode places it). Evenly spaced cutpoints (equal width) give a
// first guess by arithmetic that a step or two corrects; others are counted by a branch-free
// binary search. Every other value, and every value of any other encoder, is left to Encode.
class BinCoder {
 public:
  BinCoder(const DLBinningEncoder& encoder, bool evenlySpaced)
      : mEncoder(&encoder), mCuts(encoder.GetBinningCutpoints()) {
    const std::size_t n = mCuts.size();
    mFast = n > 0 && encoder.GetUserMissingInfo() == nullptr;
    for (std::size_t k = 1; mFast && k < n; ++k) mFast = mCuts[k - 1] < mCuts[k];
    mEven = mFast && evenlySpaced && n > 1;
    if (mEven) {
      mWidth = (mCuts[n - 1] - mCuts[0]) / static_cast<double>(n - 1);
      mEven = mWidth > 0.0 && std::isfinite(mWidth);
    }
  }

  int operator()(double x) const {
    if (!mFast || std::isnan(x) || QXMV::IsMissing(x)) return mEncoder->Encode(x);
    const int n = static_cast<int>(mCuts.size());
    if (mEven) {
      // Cutpoint k lies near c0 + k * width: x's bin is about (x - c0) / width + 1.
      const double guess = (x - mCuts[0]) / mWidth + 1.0;
      int k = guess <= 0.0 ? 0 : (guess >= n ? n : static_cast<int>(guess));
      while (k > 0 && !(mCuts[k - 1] < x)) --k;
      while (k < n && mCuts[k] < x) ++k;
      return k;
    }
    const double* base = mCuts.data();
    std::size_t len = mCuts.size();
    while (len > 1) {
      const std::size_t half = len / 2;
      base += half & (std::size_t{0} - static_cast<std::size_t>(base[half - 1] < x));
      len -= half;
    }
    return static_cast<int>(base - mCuts.data()) + (*base < x ? 1 : 0);
  }

 private:
  const DLBinningEncoder* mEncoder;
  const std::vector<double>& mCuts;
  bool mFast = false;
  bool mEven = false;
  double mWidth = 0.0;
};

}  // namespace

std::unique_ptr<IDLAttribute> MakeBinnedAttribute(const IDLAttribute& column,
                                                  const IDLAttribute* weights, int numOfBins,
                                                  int binningType, bool largeCategory) {
  const auto* source = dynamic_cast<const DLContVar*>(column.GetVar());
  if (source == nullptr) return nullptr;
  DLContVar binnedVar(*source);
  binnedVar.ClearEncoder(/*force=*/true);
  bool ready = false;
  if (binningType == DLConst::EqualWidth) {
    ready = binnedVar.SetupEncoder(numOfBins);
  } else {
    const std::vector<double> cutpoints =
        ComputeEqualFrequencyCutpoints(column, weights, numOfBins);
    ready = !cutpoints.empty() && binnedVar.SetupEncoder(cutpoints);
  }
  const auto* encoder = dynamic_cast<const DLBinningEncoder*>(binnedVar.GetEncoder());
  if (!ready || encoder == nullptr) return nullptr;

  const int n = column.GetNumOfCases();
  std::unique_ptr<IDLAttribute> binned;
  if (largeCategory) {
    auto ints = std::make_unique<DLAttribute<2, 3>>(binnedVar, /*cloneVar=*/true);
    ints->Reserve(n);
    binned = std::move(ints);
  } else {
    auto bytes = std::make_unique<DLAttribute<1, 3>>(binnedVar, /*cloneVar=*/true);
    bytes->Reserve(n);
    binned = std::move(bytes);
  }
  const auto* doubles = dynamic_cast<const DLAttribute<0, 0>*>(&column);
  const BinCoder code(*encoder, /*evenlySpaced=*/binningType == DLConst::EqualWidth);
  for (int i = 0; i < n; ++i) {
    const double value = doubles != nullptr ? doubles->GetData()[i] : column.GetValue(i);
    if (!binned->AddValue(code(value))) return nullptr;
  }
  return binned;
}
