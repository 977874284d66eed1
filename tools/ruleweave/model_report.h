// The result table of a measured model: the figures report.h prints, taken from the model's
// lists, rules and remainder.
#ifndef RULEWEAVE_TOOLS_MODEL_REPORT_H_
#define RULEWEAVE_TOOLS_MODEL_REPORT_H_

#include <memory>
#include <vector>

#include <ruleweave/ruleweave.h>

#include "report.h"

namespace ruleweave_cli {

// The report of `model`, numbered `number`, from the measures it holds (measure it first).
// `vars` and `missingCode` belong to the data set the model was measured on; they turn its
// conditions into words.
// Also fills the summary (what the lists take, their rate, the remainder's rate).
ModelReport BuildReport(const DLModel& model, int number, const DLVarList& vars, int missingCode);

// A copy of `model`'s lists measured on `data` (first hit over every case of it), which must be
// coded through the same variable list. The remainder rules an imported model carries (disabled
// rules without conditions at the end of a list) are dropped: the remainder is what no rule
// takes. Throws LibraryError when the lists cannot be measured there.
std::unique_ptr<DLModel> MeasureOn(const DLModel& model, const DLDataSet& data);

// Adds to `report` (of the model measured on its training cases) the figures of the same model
// measured on the holdout cases (`holdout`, rows in the same order), and flags the rules whose
// holdout interval does not clear the training base rate: for a search for high rates, whose
// holdout lower bound is at most the base rate (for low rates, upper bound at least it).
void AddHoldout(ModelReport& report, const ModelReport& holdout, DLConst::SearchDirection way);

// One group of cases that a model scores alike: the score, and the (weighted) responses and
// non-responses in it.
struct ScoredGroup {
  double score = 0;
  double positives = 0;
  double negatives = 0;
};

// The weighted ROC AUC of scoring each case with its group's score: the chance that a random
// response scores above a random non-response, ties counting half. NaN without both kinds.
double RankingAuc(std::vector<ScoredGroup> groups);

// The groups `report` scores the cases by: every rule and the remainder, scored with its training
// rate (NaN counts as 0), with its cases on the holdout rows or on the training rows.
std::vector<ScoredGroup> GroupsOf(const ModelReport& report, bool onHoldout);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_MODEL_REPORT_H_
