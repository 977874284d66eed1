// Random data sets for the model and coverage tests, and the brute-force counts they are
// checked against.
#include "model_table.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "ruleweave/foundation/missing_value.h"
#include "ruleweave/foundation/record.h"
#include "ruleweave/foundation/settings.h"
#include "ruleweave/foundation/status.h"

namespace model_testing {

DLSegment* Equal(const std::string& name, double v) {
  auto* s = new DLSegment(name, false);
  s->SetValueEqualTo(v);
  return s;
}

DLRule* RuleOf(std::vector<DLSegment*> segments) {
  auto* r = new DLRule();
  for (DLSegment* s : segments) {
    if (!r->AddSegment(s)) throw std::logic_error("RuleOf: a segment was refused");
  }
  return r;
}

namespace {

constexpr double kInf = std::numeric_limits<double>::max();

class VectorRecords : public QXCommon::RecordIterator {
 public:
  explicit VectorRecords(const std::vector<QXCommon::Record>& rows) : mRows(rows) {}
  bool HasNext() override { return mNext < mRows.size(); }
  const QXCommon::Record* Next() override { return &mRows[mNext++]; }

 private:
  const std::vector<QXCommon::Record>& mRows;
  std::size_t mNext = 0;
};

}  // namespace

RandomTable::RandomTable(const TableShape& shape) : mSpec(shape) {
  std::mt19937 rng(shape.seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const int n = shape.numCases;

  for (std::size_t k = 0; k < shape.categories.size(); ++k) {
    const std::string name = "c" + std::to_string(k);
    std::vector<double> values;
    for (int v = 0; v < shape.categories[k]; ++v) values.push_back(v);
    if (mVars.AddCatVar(name, "", values, /*nominal=*/true, IDLVar::kPredictor, IDLVar::kInteger) <
        0) {
      throw std::runtime_error("cannot add " + name);
    }
    mCatNames.push_back(name);
  }
  if (shape.continuous && mVars.AddContVar("x", "", 0.0, 100.0, IDLVar::kPredictor) < 0) {
    throw std::runtime_error("cannot add x");
  }
  if (mVars.AddCatVar("y", "", std::vector<double>{0, 1}, /*nominal=*/true, IDLVar::kTarget,
                      IDLVar::kInteger) < 0) {
    throw std::runtime_error("cannot add y");
  }
  if (shape.weighted && mVars.AddFreqWeightVar("w", "", IDLVar::kTruncate) < 0) {
    throw std::runtime_error("cannot add w");
  }

  mCatValues.assign(shape.categories.size(), std::vector<double>(static_cast<std::size_t>(n)));
  mContValues.assign(static_cast<std::size_t>(n), QXMV::Missing());
  mTarget.assign(static_cast<std::size_t>(n), 0);
  mWeights.assign(static_cast<std::size_t>(n), 1.0);

  std::vector<QXCommon::Record> rows;
  for (int i = 0; i < n; ++i) {
    QXCommon::Record row(mVars.Size());
    int col = 0;
    for (std::size_t k = 0; k < shape.categories.size(); ++k) {
      const bool missing = unit(rng) < shape.missingRate;
      const int code = static_cast<int>(unit(rng) * shape.categories[k]);
      row[col++] = missing ? -1.0 : code;
      mCatValues[k][static_cast<std::size_t>(i)] = missing ? MissingCode() : code;
    }
    if (shape.continuous) {
      const bool missing = unit(rng) < shape.missingRate;
      const double x = std::floor(unit(rng) * 1000.0) / 10.0;
      row[col++] = missing ? QXMV::Missing() : x;
      mContValues[static_cast<std::size_t>(i)] = missing ? QXMV::Missing() : x;
    }
    // The response rate depends on c0 so that rules find something.
    const double rate =
        (!mCatValues.empty() && mCatValues[0][static_cast<std::size_t>(i)] == 0) ? 0.7 : 0.3;
    const int y = unit(rng) < rate ? 1 : 0;
    row[col++] = y;
    mTarget[static_cast<std::size_t>(i)] = y;
    if (shape.weighted) {
      const double w = std::floor(unit(rng) * 50.0) / 10.0;
      row[col++] = w;
      mWeights[static_cast<std::size_t>(i)] = std::trunc(w);
    }
    rows.push_back(row);
  }

  mData = std::make_unique<DLDataSet>(mVars, shape.largeCategory);
  VectorRecords records(rows);
  DLSettings settings;
  const QXDecision::QXStatus status = mData->InputData(records, settings);
  if (!status.IsOK() || mData->GetNumOfCases() != n) {
    throw std::runtime_error("loading the random table failed");
  }
}

std::vector<std::string> RandomTable::PredictorNames() const {
  std::vector<std::string> names = mCatNames;
  if (mSpec.continuous) names.push_back("x");
  if (mSpec.weighted) names.push_back("w");
  return names;
}

DLDataQuery RandomTable::Query(const DLBitSet* caseSpace) const {
  return DLDataQuery(caseSpace, PredictorNames(), "y", "1");
}

double RandomTable::Value(const std::string& name, int id) const {
  for (std::size_t k = 0; k < mCatNames.size(); ++k) {
    if (mCatNames[k] == name) return mCatValues[k][static_cast<std::size_t>(id)];
  }
  if (name == "x" && mSpec.continuous) return mContValues[static_cast<std::size_t>(id)];
  throw std::invalid_argument("no variable " + name);
}

bool RandomTable::IsMissing(const std::string& name, int id) const {
  const double v = Value(name, id);
  return name == "x" ? QXMV::IsMissing(v) : v == MissingCode();
}

bool RandomTable::Admits(const DLSegment& s, int id) const {
  const std::string& name = s.GetAttrName();
  const bool known = std::find(mCatNames.begin(), mCatNames.end(), name) != mCatNames.end() ||
                     (name == "x" && mSpec.continuous);
  if (!known) return true;
  const double x = Value(name, id);
  switch (s.GetOperator()) {
    case DLConst::OpEqualTo:
      return x == s.GetValueEqualTo();
    case DLConst::OpMissing:
      return IsMissing(name, id);
    case DLConst::OpNotMissing:
      return !IsMissing(name, id);
    case DLConst::OpRange: {
      double low, high;
      bool lowOpen, highOpen;
      s.GetRange(low, high, lowOpen, highOpen);
      return (low < x && x < high) || (x == low && !lowOpen) || (x == high && !highOpen);
    }
    case DLConst::OpInSet:
    case DLConst::OpNotInSet: {
      const auto& set = s.GetValueSet();
      const bool found = std::find(set.begin(), set.end(), x) != set.end();
      return s.GetOperator() == DLConst::OpInSet ? found : !found;
    }
    default:
      return true;
  }
}

bool RandomTable::Covers(const DLRule& rule, int id) const {
  for (int k = 0; k < rule.GetNumOfSegments(); ++k) {
    if (!Admits(*rule.GetSegment(k), id)) return false;
  }
  return true;
}

DLMeasure RandomTable::Measure(const std::vector<int>& ids) const {
  double coverage = 0.0;
  double response = 0.0;
  for (int id : ids) {
    coverage += Weight(id);
    if (Responds(id)) response += Weight(id);
  }
  return coverage == 0.0 ? DLMeasure() : DLMeasure(coverage, response);
}

DLSegment* RandomTable::RandomSegment(std::mt19937& rng) const {
  std::vector<std::string> names = mCatNames;
  if (mSpec.continuous) names.push_back("x");
  std::uniform_int_distribution<std::size_t> pickName(0, names.size());
  const std::size_t which = pickName(rng);
  // One draw in names.size() + 1 names an attribute the data set lacks.
  const std::string name = which < names.size() ? names[which] : "nosuch";
  auto s = std::make_unique<DLSegment>(name, mSpec.largeCategory);
  const bool cont = name == "x";
  const int cats = cont ? 100 : (which < mCatNames.size() ? mSpec.categories[which] : 4);
  std::uniform_int_distribution<int> pickKind(1, 6);
  std::uniform_int_distribution<int> pickCode(0, cats - 1);
  auto value = [&] { return cont ? std::floor(pickCode(rng) * 1.0) : 1.0 * pickCode(rng); };
  switch (pickKind(rng)) {
    case 1:
      s->SetValueEqualTo(value());
      break;
    case 2:
      s->SetAsMissingSegment();
      break;
    case 3:
      s->SetAsNotMissingSegment();
      break;
    case 4: {
      double low = value(), high = value();
      if (low > high) std::swap(low, high);
      std::uniform_int_distribution<int> coin(0, 3);
      if (coin(rng) == 0) low = -kInf;
      if (coin(rng) == 0) high = kInf;
      const bool lowOpen = coin(rng) < 2;
      const bool highOpen = coin(rng) < 2;
      if (!s->SetRange(low, high, lowOpen, highOpen)) s->SetRange(low, high, false, false);
      break;
    }
    default: {
      std::vector<double> values;
      std::uniform_int_distribution<int> count(0, 3);
      for (int k = count(rng); k > 0; --k) values.push_back(value());
      // Now and then the missing code itself, which sets treat as an ordinary number.
      if (!cont && count(rng) == 0) values.push_back(MissingCode());
      s->SetValueSet(values, pickKind(rng) % 2 == 0);
      break;
    }
  }
  return s.release();
}

DLRule* RandomTable::RandomRule(std::mt19937& rng, int maxSegments) const {
  auto rule = std::make_unique<DLRule>();
  std::uniform_int_distribution<int> count(0, maxSegments);
  for (int k = count(rng); k > 0; --k) {
    std::unique_ptr<DLSegment> s(RandomSegment(rng));
    if (rule->AddSegment(s.get())) s.release();  // refused: same attribute twice
  }
  return rule.release();
}

std::vector<int> Ids(const DLBitSet& set) {
  std::vector<int> ids;
  set.GetElementIDs(ids);
  return ids;
}

DLBitSet SetOf(int capacity, const std::vector<int>& ids) { return DLBitSet(capacity, &ids); }

DLBitSet RandomSubset(int capacity, double p, std::mt19937& rng) {
  std::bernoulli_distribution keep(p);
  DLBitSet set(capacity);
  for (int i = 0; i < capacity; ++i) {
    if (keep(rng)) set.AddElement(i);
  }
  return set;
}

}  // namespace model_testing
