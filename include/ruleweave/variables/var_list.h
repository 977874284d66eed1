// DLVarList: the host's description of its record layout, an ordered list of variables whose
// positions are the positions of the values in every record.
#ifndef RULEWEAVE_VARIABLES_VAR_LIST_H_
#define RULEWEAVE_VARIABLES_VAR_LIST_H_

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "ruleweave/variables/binning_encoder.h"
#include "ruleweave/variables/encoder.h"
#include "ruleweave/variables/var.h"

// Owns its variables. Keeps the names unique, at most one target (never continuous) and at most
// one frequency weight, and the indices of both (-1 when absent). No operation throws: refusals
// return -1, false, null or 0 and leave the list unchanged. Pointers handed out stay valid until
// the variable is removed or the list is replaced wholesale (operator=, Copy, destruction).
//
// Lookups by name (FindVar, GetVarAt(name), the Add operations' name check) take constant time
// through a hash index that every change of the list keeps; a variable renamed by assigning
// another variable over it through a handed-out pointer marks the index, which the next lookup
// rebuilds. So const lookups from several threads are safe as long as nothing renames meanwhile.
class DLVarList {
 public:
  DLVarList();
  // Copies every variable (a name already held is skipped) with the source's counts and indices.
  DLVarList(const DLVarList& other);
  DLVarList& operator=(const DLVarList& other);
  virtual ~DLVarList();

  int Size() const { return static_cast<int>(mVars.size()); }
  int GetNumContVar() const { return mNumContVars; }
  int GetNumCatVar() const { return mNumCatVars; }
  int GetTargetIndex() const { return mTargetIndex; }
  int GetFreqWeightIndex() const { return mWeightIndex; }

  // Null for an index outside 0..Size()-1, or an empty or unknown name.
  IDLVar* GetVarAt(int index);
  const IDLVar* GetVarAt(int index) const;
  IDLVar* GetVarAt(const std::string& name);
  const IDLVar* GetVarAt(const std::string& name) const;
  // Empty for a bad index.
  std::string GetVarNameAt(int index) const;
  IDLVar* GetTargetVar();
  const IDLVar* GetTargetVar() const;
  IDLVar* GetFreqWeightVar();
  const IDLVar* GetFreqWeightVar() const;
  std::string GetTargetName() const;
  std::string GetFreqWeightName() const;
  IDLEncoder* GetEncoderAt(int index);
  const IDLEncoder* GetEncoderAt(int index) const;
  // Index of the variable with exactly this name; -1 if none or `name` is empty.
  int FindVar(const std::string& name) const;
  // Number of variables with the predictor role.
  int GetNumPredictors() const;
  // -1 without a target, else its number of categories.
  int GetNTargetCats() const;
  // kUndefinedRole for a bad index.
  IDLVar::VarRole GetVarRole(int index) const;
  // The predictor names in list order, and the target's name (empty without one).
  void GetVarNames(std::vector<std::string>& predictors, std::string& target) const;
  // GetNumOfCategories() of every predictor in list order (0 for an unbinned continuous one).
  std::vector<int> GetNPredictorCats() const;

  // The Add operations return the new variable's index, or -1 with the list unchanged: for an
  // empty or present name, a forbidden role (a continuous target, a second categorical target),
  // an unsuitable level or argument, or an exception from the variable's constructor.
  int AddContVar(const std::string& name, const std::string& label, IDLVar::VarRole role);
  int AddContVar(const std::string& name, const std::string& label, double min, double max,
                 IDLVar::VarRole role);
  int AddContVar(const std::string& name, const std::string& label,
                 const std::vector<double>& cutpoints, IDLVar::VarRole role);
  int AddCatVar(const std::string& name, const std::string& label, IDLVar::MeasureLevel level,
                IDLVar::VarRole role, IDLVar::VarDataType dataType);
  // Level 2 if `nominal`, else 4; the values are encoded in order, fixing codes 0, 1, ...
  int AddCatVar(const std::string& name, const std::string& label,
                const std::vector<double>& values, bool nominal, IDLVar::VarRole role,
                IDLVar::VarDataType dataType);
  // Level 8 if `nominal`, else 16; data type kString.
  int AddCatVar(const std::string& name, const std::string& label,
                const std::vector<std::string>& values, bool nominal, IDLVar::VarRole role);
  // As above, and then the labels are handed to the encoder when not empty. -1 when `values` and
  // `labels` differ in length, an empty `labels` with values included (use the overloads without
  // labels for none).
  int AddCatVar(const std::string& name, const std::string& label,
                const std::vector<double>& values, const std::vector<std::string>& labels,
                bool nominal, IDLVar::VarRole role, IDLVar::VarDataType dataType);
  int AddCatVar(const std::string& name, const std::string& label,
                const std::vector<std::string>& values, const std::vector<std::string>& labels,
                bool nominal, IDLVar::VarRole role);
  // -1 also when a weight variable exists already. Neither count changes.
  int AddFreqWeightVar(const std::string& name, const std::string& label,
                       IDLVar::DLWRoundingOption option);

  // Deletes the variable and keeps the counts and the target and weight indices in step.
  bool RemoveVar(int index);
  bool RemoveVar(std::string name);
  // False for a bad index, role kFreqWeight, a weight variable, or a continuous target. Making a
  // variable the target turns the previous target into a predictor.
  bool SetVarRole(int index, IDLVar::VarRole role);
  // Equal-width encoders for the continuous variables; returns how many were created (0 when
  // numOfBins < 2).
  int SetupContEncoders(int numOfBins);
  // ClearEncoder(force) on every continuous variable with an encoder; returns how many went.
  int RemoveContEncoders(bool force);

  // Fit for analysis: every used variable has data, at least one predictor and exactly one
  // target. Constant variables are reported in `constVars`, empty ones in `emptyVars` (either
  // may be null); both are cleared first.
  bool IsValidList(std::vector<int>* constVars = nullptr, std::vector<int>* emptyVars = nullptr);

  bool operator==(const DLVarList& other) const;
  bool operator!=(const DLVarList& other) const { return !(*this == other); }
  // Every used variable of this list has a compatible namesake in `other`.
  bool IsCompatibleWith(const DLVarList& other) const;

  // Replaces this list by the variables of `src` at `indices` (all of them when null), in that
  // order; the variable at `targetIndex` of `src` becomes the target.
  void Copy(const DLVarList& src, const std::vector<int>* indices, int targetIndex);
  // As above by names; unknown names are dropped.
  void Copy(const DLVarList& src, const std::vector<std::string>* names,
            const std::string& targetName);

  void Display(std::ostream& os) const;

 private:
  void Swap(DLVarList& other);
  // Appends a copy of `var` unless its name is taken; returns whether it was appended.
  bool AppendCopy(const IDLVar& var);
  // The checks shared by the categorical Add operations.
  bool CanAddCatVar(const std::string& name, IDLVar::MeasureLevel level,
                    IDLVar::VarRole role) const;
  // Append a built variable (null gives -1) and keep the counts and indices.
  int AppendContVar(std::unique_ptr<IDLVar> var);
  int AppendCatVar(std::unique_ptr<IDLVar> var);

  // Appends a variable (never null), links it to the name index and indexes its name.
  void Append(std::unique_ptr<IDLVar> var);
  // Re-reads every name into the index (the first of equal names wins, as a scan would find).
  void RebuildNameIndex() const;

  struct NameIndex;
  std::vector<std::unique_ptr<IDLVar>> mVars;
  std::unique_ptr<NameIndex> mNames;  // never null; moves with the variables on Swap
  int mNumContVars = 0;
  int mNumCatVars = 0;
  int mTargetIndex = -1;
  int mWeightIndex = -1;
};

#endif  // RULEWEAVE_VARIABLES_VAR_LIST_H_
