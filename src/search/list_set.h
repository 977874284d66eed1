// DLListSet: the search object of one run. It owns the encoded view of the data and the beam of
// lists under construction, and runs the outer beam search over list levels.
#ifndef RULEWEAVE_SEARCH_LIST_SET_H_
#define RULEWEAVE_SEARCH_LIST_SET_H_

#include <iosfwd>
#include <memory>
#include <vector>

#include "data/data_views.h"
#include "foundation/worker_pool.h"
#include "ruleweave/foundation/status.h"
#include "search/extending_list.h"

class DLDataQuery;
class DLDataSet;
class DLList;
class DLParameters;

// Borrows the parameters, the data set and the query (they outlive the set); owns its worker
// pool (the parameters' number of threads, started with the set and joined when it goes), its
// view and its lists.
class DLListSet {
 public:
  // Builds the encoded view; throws ConstructorException when the view cannot be made (too many
  // bins for the data set, a continuous predictor that cannot be binned, no cases, or a query
  // that does not define a valid variable list).
  DLListSet(const DLParameters& params, const DLDataSet& data, const DLDataQuery& query);
  DLListSet(const DLListSet&) = delete;
  DLListSet& operator=(const DLListSet&) = delete;
  ~DLListSet();

  // The whole list-set search: list levels until list depth, or until no list can be extended.
  // Afterwards the beam holds the final lists (with final-results-only off, the beams of every
  // level in order). Returns QXStatus(1, false) on a cancel.
  QXDecision::QXStatus Search();

  // Keeps the best `width` (list, rule) pairs as the next beam.
  QXDecision::QXStatus SelectLists(int width);

  // Takes the best (list, rule) pair out of the beam; null when none beats the initial measure.
  std::unique_ptr<DLExtendingList> PopBestList();

  // Turns the beam into lists in beam order (lists without rules yield none) and empties it.
  std::vector<std::unique_ptr<DLList>> TakeLists();

  // Starts the beam with one empty list over the query's case space.
  void Start();

  int GetNumOfLists() const { return static_cast<int>(mLists.size()); }
  const DLExtendingList* GetList(int i) const { return mLists[i].get(); }
  const IDLDataView& GetView() const { return mView; }

  void Display(std::ostream& os) const;

 private:
  const DLParameters* mParams;
  const DLDataQuery* mQuery;
  DLWorkerPool mPool;  // before the view, which bins its columns on it
  DLEncDataView mView;
  std::vector<std::unique_ptr<DLExtendingList>> mLists;
};

#endif  // RULEWEAVE_SEARCH_LIST_SET_H_
