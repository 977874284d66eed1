// DLDataQuery: what to model - target, response value, predictors and optional case space.
#ifndef RULEWEAVE_DATA_DATA_QUERY_H_
#define RULEWEAVE_DATA_DATA_QUERY_H_

#include <memory>
#include <string>
#include <vector>

#include "ruleweave/foundation/bit_set.h"

// A value type. The case space is an owned copy, or null for "all cases". The response value is
// written as the host writes the category: a number in text for numeric targets (read with atof),
// the category text for string targets. A host that wants weighted measures names the weight
// variable among the predictor names: views see exactly the variables the query names.
class DLDataQuery {
 public:
  // No case space, no names, empty response value.
  DLDataQuery() = default;
  // Copies everything; a non-null case space is copied into a new owned set.
  DLDataQuery(const DLBitSet* caseSpace, const std::vector<std::string>& predictors,
              const std::string& target, const std::string& responseVal);
  DLDataQuery(const DLDataQuery& other);
  DLDataQuery& operator=(const DLDataQuery& other);
  ~DLDataQuery();

  // The owned set or null.
  const DLBitSet* GetCaseSpace() const { return mCaseSpace.get(); }
  // Replaces the case space by a copy of `caseSpace` (or by none when null).
  void SetCaseSpace(const DLBitSet* caseSpace);
  const std::vector<std::string>& GetPredictorNames() const { return mPredictorNames; }
  void SetPredictorNames(const std::vector<std::string>& names) { mPredictorNames = names; }
  const std::string& GetTargetName() const { return mTargetName; }
  void SetTargetName(const std::string& name) { mTargetName = name; }
  std::string GetResponseVal() const { return mResponseVal; }
  void SetResponseVal(const std::string& value) { mResponseVal = value; }

  // The same object, or: case spaces both null or both present and equal as sets, then equal
  // predictor names in order, target name and response value.
  bool operator==(const DLDataQuery& other) const;
  bool operator!=(const DLDataQuery& other) const { return !(*this == other); }

 private:
  std::unique_ptr<DLBitSet> mCaseSpace;
  std::vector<std::string> mPredictorNames;
  std::string mTargetName;
  std::string mResponseVal;
};

#endif  // RULEWEAVE_DATA_DATA_QUERY_H_
