// IDLDataView: a query joined to a data set - the variables the query names, one attribute per
// variable, and the measure of any case set. All measuring code reads data through it.
#ifndef RULEWEAVE_DATA_DATA_VIEW_H_
#define RULEWEAVE_DATA_DATA_VIEW_H_

#include <iosfwd>
#include <string>

class DLBitSet;
class DLDataQuery;
class DLDataSet;
class DLMeasure;
class DLVarList;
class IDLAttribute;

// The concrete views (raw: the data set's own columns; encoded: continuous predictors binned) are
// internal. A view borrows its data set, its query and the data set's columns, which must outlive
// it; it is immutable after construction.
class IDLDataView {
 public:
  IDLDataView() = default;
  IDLDataView(const IDLDataView&) = delete;
  IDLDataView& operator=(const IDLDataView&) = delete;
  virtual ~IDLDataView() = default;

  virtual const DLDataSet* GetDataSet() const = 0;
  // The view's own list: the query's predictors in the query's order, then its target.
  virtual DLVarList& GetVarList() = 0;
  virtual const DLVarList& GetVarList() const = 0;
  virtual int GetNumOfAttributes() const = 0;
  virtual const DLDataQuery* GetDataQuery() const = 0;
  // The data set's number of cases when the view was made: the capacity of every case set
  // handed to the view.
  virtual int GetNumOfCases() const = 0;
  // Null for an empty or unknown name.
  virtual const IDLAttribute* GetAttribute(const std::string& name) const = 0;
  virtual IDLAttribute* GetAttribute(const std::string& name) = 0;
  // Null for an index outside 0 .. GetNumOfAttributes() - 1.
  virtual const IDLAttribute* GetAttribute(int index) const = 0;
  virtual IDLAttribute* GetAttribute(int index) = 0;
  virtual const IDLAttribute* GetTargetAttribute() const = 0;
  virtual IDLAttribute* GetTargetAttribute() = 0;
  // Null when the view has no frequency-weight variable.
  virtual const IDLAttribute* GetFreqWeightAttribute() const = 0;
  virtual IDLAttribute* GetFreqWeightAttribute() = 0;

  // Coverage (number of cases, or summed weights) and response (the part whose target code is
  // the query's response value) of `cases`; cleared to (0, 0) for an empty set or zero coverage.
  // The response value is coded with the target encoder's adding Encode, so a value the target
  // has not seen becomes a new category of the target variable (and gives response 0).
  virtual void ComputeMeasure(DLMeasure& measure, const DLBitSet& cases) const = 0;

  // The view's variable list and every attribute, between banners.
  virtual void Display(std::ostream& os) const = 0;
};

#endif  // RULEWEAVE_DATA_DATA_VIEW_H_
