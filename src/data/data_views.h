// The concrete data views: DLDataView (all state and every IDLDataView operation), DLRawDataView
// (the data set's own columns) and DLEncDataView (continuous predictors replaced by binned
// columns).
#ifndef RULEWEAVE_DATA_DATA_VIEWS_H_
#define RULEWEAVE_DATA_DATA_VIEWS_H_

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "ruleweave/data/attribute.h"
#include "ruleweave/data/data_view.h"
#include "ruleweave/foundation/exceptions.h"

class DLDataQuery;
class DLDataSet;
class DLParameters;
class DLWorkerPool;

// Borrows the data set, the query and the data set's columns (all must outlive the view); owns its
// variable list and whatever columns it made itself.
class DLDataView : public IDLDataView {
 public:
  ~DLDataView() override;

  const DLDataSet* GetDataSet() const override { return mDataSet; }
  DLVarList& GetVarList() override { return *mVarList; }
  const DLVarList& GetVarList() const override { return *mVarList; }
  int GetNumOfAttributes() const override;
  const DLDataQuery* GetDataQuery() const override { return mQuery; }
  int GetNumOfCases() const override { return mNumOfCases; }
  const IDLAttribute* GetAttribute(const std::string& name) const override;
  IDLAttribute* GetAttribute(const std::string& name) override;
  const IDLAttribute* GetAttribute(int index) const override;
  IDLAttribute* GetAttribute(int index) override;
  const IDLAttribute* GetTargetAttribute() const override;
  IDLAttribute* GetTargetAttribute() override;
  const IDLAttribute* GetFreqWeightAttribute() const override;
  IDLAttribute* GetFreqWeightAttribute() override;
  void ComputeMeasure(DLMeasure& measure, const DLBitSet& cases) const override;
  void Display(std::ostream& os) const override;

 protected:
  // Stores the data set, the query and the number of cases and builds the view's list from the
  // query's predictor names followed by its target name. Throws
  // QXDecision::ConstructorException("DLDataView", ...) when the data set has no cases
  // ("dataset.NumOfCases > 0") or the list is not valid for modelling ("The query defines a valid
  // variable list"). Attaches no attribute.
  DLDataView(const DLDataSet& dataset, const DLDataQuery& query);

  // The data set's column for a variable name (null when it has none).
  IDLAttribute* DataSetAttribute(const std::string& name) const;
  // Appends a borrowed column (may be null) or an owned one.
  void AppendBorrowed(IDLAttribute* attribute) { mAttributes.push_back(attribute); }
  void AppendOwned(std::unique_ptr<IDLAttribute> attribute);

 private:
  // The target code the query's response value stands for (adding it to the target's encoder
  // when new); the column's missing code for a target that is not categorical.
  int ResponseCode(const IDLAttribute& target) const;

  const DLDataSet* mDataSet;
  const DLDataQuery* mQuery;
  int mNumOfCases;
  std::unique_ptr<DLVarList> mVarList;
  std::vector<IDLAttribute*> mAttributes;
  std::vector<std::unique_ptr<IDLAttribute>> mOwned;
};

// Every attribute is the data set's own; the view deletes none.
class DLRawDataView : public DLDataView {
 public:
  DLRawDataView(const DLDataSet& dataset, const DLDataQuery& query);
};

// A continuous predictor could not be binned. Its own type, so the algorithm tells it from the
// other constructor failures (status 110040 instead of 110018); the message is the
// ConstructorException of class "DLEncDataView" with condition
// "Error Binning Method for Continue Variable(s).".
class DLBinningException : public QXDecision::ConstructorException {
 public:
  DLBinningException();
};

// The view the search reads: every continuous predictor is replaced by a binned column (codes of
// GetNumOfBins() equal-width bins, or of equal-frequency cut points weighted by the view's
// frequency weight), which the view owns. Throws QXDecision::ConstructorException:
//   ("DLEncDataView", "param.NumOfBins <= dataset.MaxCategories") when the bins would not fit;
//   DLBinningException when a continuous predictor cannot be binned (no range for equal width,
//   no cut point for equal frequency);
// and the DLDataView exceptions. The columns are binned on the pool's threads (on the calling
// thread without a pool); the parameters' cancel object is asked, from the calling thread only,
// between columns and while the workers bin, and a yes throws DLCancelledException.
class DLEncDataView : public DLDataView {
 public:
  DLEncDataView(const DLParameters& param, const DLDataSet& dataset, const DLDataQuery& query,
                DLWorkerPool* pool = nullptr);
};

// Equal-frequency cut points of a continuous column, weighted by `weights` (may be null; a
// missing or negative stored weight counts 0). Empty when binning fails or finds no cut point.
std::vector<double> ComputeEqualFrequencyCutpoints(const IDLAttribute& column,
                                                   const IDLAttribute* weights, int numOfBins);

// A new binned column (byte or int codes) owning a binned clone of the continuous column's
// variable; null when the variable cannot be binned that way or a code does not fit.
std::unique_ptr<IDLAttribute> MakeBinnedAttribute(const IDLAttribute& column,
                                                  const IDLAttribute* weights, int numOfBins,
                                                  int binningType, bool largeCategory);

#endif  // RULEWEAVE_DATA_DATA_VIEWS_H_
