// The DLConst scope's search direction and binning type, shared by the parameters, the rules and
// the PMML reader and writer. (The segment operators, DLConst::OpSegment, live with DLSegment.)
#ifndef RULEWEAVE_FOUNDATION_CONSTANTS_H_
#define RULEWEAVE_FOUNDATION_CONSTANTS_H_

namespace DLConst {

// Up looks for a high response probability (PMML "up"), Down for a low one ("down").
enum SearchDirection { Up = 0, Down = 1 };
// How continuous predictors are binned for the search: equal-width bins over the variable's
// range, or equal-frequency cut points of the loaded data (any non-zero value).
enum BinningType { EqualWidth = 0, EqualFrequency = 1 };

}  // namespace DLConst

#endif  // RULEWEAVE_FOUNDATION_CONSTANTS_H_
