// DLFactory: makes the two objects a host needs to model, a loaded data set and an algorithm.
#ifndef RULEWEAVE_FACADE_FACTORY_H_
#define RULEWEAVE_FACADE_FACTORY_H_

#include "ruleweave/foundation/status.h"

class DLDataSet;
class DLSettings;
class DLVarList;
class IDLAlgorithm;

namespace QXCommon {
class RecordIterator;
}

// A plain object holding the status of its last CreateDataSet. Everything it makes belongs to
// the caller.
class DLFactory {
 public:
  DLFactory();
  DLFactory(const DLFactory&) = default;
  DLFactory& operator=(const DLFactory&) = default;

  // A new algorithm that borrows `settings` (they must outlive it and later changes are seen).
  // The caller deletes it. The factory's status is not touched.
  IDLAlgorithm* CreateAlgorithm(DLSettings const& settings);

  // Builds a data set over `vars` (borrowed: it must outlive the data set) and loads every
  // remaining record. Returns null unless loading ended OK: a cancel before loading gives status
  // 1, and any status of the load other than OK (the refused-value warning included) deletes the
  // data set. The status is kept for GetStatus.
  DLDataSet* CreateDataSet(DLSettings const& settings, DLVarList& vars,
                           QXCommon::RecordIterator& records);

  // The status of the last CreateDataSet.
  QXDecision::QXStatus GetStatus();

 private:
  QXDecision::QXStatus mStatus;
};

#endif  // RULEWEAVE_FACADE_FACTORY_H_
