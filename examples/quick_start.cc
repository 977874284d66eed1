// Quick start: a complete host of the library in one file. It declares its variables, hands
// in-memory records to the factory, searches for decision lists with a progress listener, and
// prints each model it receives, with a one-line summary per rule.
//
// The data: 2000 customers of a subscription service with their plan, tenure in months and
// number of support calls, and whether they cancelled. Short-tenure customers on the basic plan,
// and customers who called support four times or more, cancel far more often than the rest.
#include <ruleweave/ruleweave.h>

#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The host's record source: rows of values already coded for the library (category codes for
// categorical variables, raw numbers for continuous ones), in variable-list order.
class RowSource : public QXCommon::RecordIterator {
 public:
  explicit RowSource(const std::vector<std::vector<double>>& rows) : mRows(rows) {}
  bool HasNext() override { return mNext < mRows.size(); }
  const QXCommon::Record* Next() override {
    const std::vector<double>& row = mRows[mNext++];
    mRecord.Resize(static_cast<int>(row.size()));
    for (std::size_t i = 0; i < row.size(); ++i) mRecord[static_cast<int>(i)] = row[i];
    return &mRecord;  // one record object, reused for every row
  }

 private:
  const std::vector<std::vector<double>>& mRows;
  std::size_t mNext = 0;
  QXCommon::Record mRecord{0};
};

// Prints one line per report the search sends.
class PrintingListener : public ProgressListener {
 public:
  bool OnProgress(ProgressReport* report) override {
    std::cout << "  progress: " << report->DiscreteMeasure("candidates") << " rules kept, "
              << report->DiscreteMeasure("rules") << " lists kept\n";
    return true;
  }
};

// The category code of a string value: the variable's encoder assigned the codes when the
// variable was added. An unknown text gives -1, the code for a missing value.
double StringCode(DLVarList& vars, const std::string& name, const std::string& text) {
  auto* encoder = dynamic_cast<DLCatStrNominalEncoder*>(vars.GetEncoderAt(vars.FindVar(name)));
  return encoder != nullptr ? encoder->EncodeConst(text) : -1;
}

// A small deterministic random source, so every run prints the same models.
class Random {
 public:
  double Next() {
    mState = mState * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(mState >> 11) / 9007199254740992.0;
  }

 private:
  unsigned long long mState = 2024;
};

std::string Describe(const DLRule& rule) {
  std::ostringstream text;
  for (int s = 0; s < rule.GetNumOfSegments(); ++s) {
    if (s > 0) text << " and ";
    rule.GetSegment(s)->Display(text);
  }
  const DLMeasure m = rule.GetMeasure();
  text << "  (" << m.GetResponse() << " of " << m.GetCoverage() << " cancelled, rate "
       << m.GetProbability() << ")";
  return text.str();
}

}  // namespace

int main() {
  // 1. Variables: their order is the order of values in every record.
  DLVarList vars;
  vars.AddCatVar("plan", "Subscription plan", std::vector<std::string>{"basic", "plus", "pro"},
                 /*nominal=*/true, IDLVar::kPredictor);
  vars.AddContVar("tenure", "Months as a customer", 0.0, 60.0, IDLVar::kPredictor);
  vars.AddCatVar("calls", "Support calls", std::vector<double>{0, 1, 2, 3, 4, 5},
                 /*nominal=*/false, IDLVar::kPredictor, IDLVar::kInteger);
  vars.AddCatVar("cancelled", "Cancelled", std::vector<std::string>{"no", "yes"},
                 /*nominal=*/true, IDLVar::kTarget);

  // 2. Records, coded through the variables' encoders.
  const char* plans[] = {"basic", "plus", "pro"};
  Random random;
  std::vector<std::vector<double>> rows;
  for (int i = 0; i < 2000; ++i) {
    const std::string plan = plans[static_cast<int>(random.Next() * 3)];
    const double tenure = static_cast<int>(random.Next() * 60);
    const int calls = static_cast<int>(random.Next() * random.Next() * 6);
    double rate = 0.08;
    if (plan == "basic" && tenure < 12) rate = 0.55;
    if (calls >= 4) rate += 0.3;
    const bool cancelled = random.Next() < rate;
    rows.push_back({StringCode(vars, "plan", plan), tenure, static_cast<double>(calls),
                    StringCode(vars, "cancelled", cancelled ? "yes" : "no")});
  }

  // 3. Load the data set.
  DLSettings settings;
  DLFactory factory;
  RowSource source(rows);
  std::unique_ptr<DLDataSet> data(factory.CreateDataSet(settings, vars, source));
  if (!data) {
    std::cerr << "loading failed with status " << factory.GetStatus().GetErrorCode() << "\n";
    return 1;
  }
  std::cout << "loaded " << data->GetNumOfCases() << " cases\n";

  // 4. Search: lists of up to two rules, rules of up to two conditions, three lists kept.
  PrintingListener listener;
  DLParameters params;
  params.SetListDepth(2);
  params.SetListWidth(3);
  params.SetRuleDepth(2);
  params.SetRuleWidth(3);
  params.SetAttributeReusable(false);  // at most one condition per variable in a rule
  params.SetNumOfBins(10);             // tenure in bins of 6 months
  params.SetProgressListener(&listener);
  DLDataQuery query(nullptr, {"plan", "tenure", "calls"}, "cancelled", "yes");
  std::unique_ptr<IDLAlgorithm> algorithm(factory.CreateAlgorithm(settings));
  std::vector<DLModel*> models;  // the algorithm appends; the host owns what it receives
  const QXDecision::QXStatus status = algorithm->Run(params, *data, query, models, nullptr);
  if (!status.IsOK()) {
    std::cerr << "search failed with status " << status.GetErrorCode() << "\n";
    return 1;
  }

  // 5. The models: the library's own dump, then a line per rule of the model's (only) list.
  //    Categorical conditions name category codes: plan 0 is "basic", calls 5 is 5 calls.
  for (std::size_t i = 0; i < models.size(); ++i) {
    std::unique_ptr<DLModel> model(models[i]);
    std::cout << "\nModel " << i << "\n";
    model->Display(std::cout);
    std::cout << "\n";
    const DLList* list = model->GetList(model->GetNumOfLists() - 1);
    for (int r = 0; r < list->GetNumOfRules(); ++r) {
      std::cout << "  rule " << r << ": " << Describe(*list->GetRule(r)) << "\n";
    }
  }
  return models.empty() ? 1 : 0;
}
