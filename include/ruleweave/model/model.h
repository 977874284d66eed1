// DLModel: the result handed to the host, a sequence of decision lists applied in stages over one
// data set.
//
// Words used here:
//   stage      the first list works on the model's case space, each further list on the
//              remainder of the list before it, so the last list's remainder is the model's;
//   case space the cases the model applies to; none means all cases of the data set;
//   refreshed  the lists' measures are up to date. Only SetCaseSpace and ClearMeasure clear the
//              lists' own flags; the other edits mark only the model.
#ifndef RULEWEAVE_MODEL_MODEL_H_
#define RULEWEAVE_MODEL_MODEL_H_

#include <iosfwd>
#include <memory>
#include <vector>

#include "ruleweave/foundation/bit_set.h"
#include "ruleweave/model/list.h"

class DLDataSet;

// A model owns its lists and its copy of the case space; it borrows the data set. When the data
// set is destroyed first, the model notices (IsDataSetGone) and refuses to measure, as it does
// without a data set; the exporter refuses such a model with status 110011.
//
// Ownership of lists handed in: the full constructor takes every pointer; AddList and InsertList
// take the pointer when they return true; SetList copies the contents (DLList::operator=) and the
// caller keeps its object.
class DLModel {
 public:
  // No data set, no case space, refreshed, no lists.
  DLModel();
  // Borrows `ds` and takes over `lists` in order; refreshed. The case space is a copy of the
  // first list's query's case space, if there is one. The lists' data sets are left as they are.
  DLModel(const DLDataSet& ds, const std::vector<DLList*>& lists);
  // Shares the data set; copies the case space, the refreshed flag and deep copies of the lists.
  DLModel(const DLModel& other);
  DLModel& operator=(const DLModel& other);
  ~DLModel();

  // Null without a data set and once the data set is gone.
  const DLDataSet* GetDataSet() const;
  // True when the model's data set, or that of one of its lists, has been destroyed.
  bool IsDataSetGone() const;
  // Also gives every list the data set; no refreshed flag changes.
  void SetDataSet(const DLDataSet& ds);
  bool IsRefreshed() const { return mRefreshed; }
  int GetNumOfLists() const { return static_cast<int>(mLists.size()); }
  // Null when i is out of range.
  const DLList* GetList(int i) const;
  bool IsEmpty() const { return mLists.empty(); }
  // The last list's remainder, a new set the caller deletes. Null when the model is not
  // refreshed, has no lists, or the last list has no remainder.
  const DLBitSet* GetRemainder() const;
  // The last list's remainder measure, a new measure the caller deletes. Null without a data set,
  // when not refreshed or without lists.
  DLMeasure* GetRemainderMeasure() const;
  // Deletes the lists in `out`, empties it, then appends deep copies of the model's lists; the
  // caller owns them.
  void CopyLists(std::vector<DLList*>& out) const;

  // Edits: each successful one marks the model (not its lists) as not refreshed.
  // Refused for null and for a list the model already holds (the very object: taking it twice
  // would delete it twice). The list gets the model's data set when the model has one.
  bool AddList(DLList* l);
  // Refusals as AddList. i >= GetNumOfLists() appends; a negative i inserts in front.
  bool InsertList(DLList* l, int i);
  // Assigns *l to list i. Refused for null l, i out of range, or *l equal to list i.
  bool SetList(DLList* l, int i);
  bool RemoveList(int i);
  // Keeps a copy of `cs` (null: all cases), marks the model not refreshed and clears every
  // list's measure. Refused when `cs` is the set held (both null included) or equal to it.
  bool SetCaseSpace(DLBitSet* cs);
  // Removes the last list's last rule when that rule has no segments (the remainder rule a
  // search may append). The model's refreshed flag is left alone.
  void RemoveRemainderRule();

  // Not refreshed, and ClearMeasure on every list.
  void ClearMeasure();
  // Measures the stages in order. False without a data set (or when it or a list's data set is
  // gone), when already refreshed (nothing to
  // do), or when a list refuses to refresh (lists refreshed so far stay refreshed; the model
  // does not).
  //
  // The remainder is carried forward only from lists refreshed in this call: a list that is
  // already refreshed is skipped and passes on the case space it would have received, not its
  // own remainder. So after an edit by AddList, InsertList, SetList or RemoveList (which clear
  // only the model's flag) the lists keep their measures; call ClearMeasure or SetCaseSpace
  // first to have the whole chain recomputed from the model's case space.
  bool RefreshMeasure();

  // For each list i: "List: i", a line end, and the list's Display.
  void Display(std::ostream& os) const;

 private:
  // Whether `l` is one of the model's own list objects.
  bool HoldsList(const DLList* l) const;
  static void DoCopyLists(std::vector<std::unique_ptr<DLList>>& target,
                          const std::vector<std::unique_ptr<DLList>>& source);

  const DLDataSet* mDataSet = nullptr;
  std::weak_ptr<const void> mDataSetLifetime;  // the data set's GetLifetime
  std::unique_ptr<DLBitSet> mCaseSpace;
  bool mRefreshed = true;
  std::vector<std::unique_ptr<DLList>> mLists;
};

#endif  // RULEWEAVE_MODEL_MODEL_H_
