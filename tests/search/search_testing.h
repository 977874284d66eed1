// Test helpers of the search tests: a table of coded rows loaded through the factory, a
// vector-backed record iterator, a cancel object that says yes on its k-th poll, and a listener
// that records what each report showed.
#ifndef RULEWEAVE_TESTS_SEARCH_SEARCH_TESTING_H_
#define RULEWEAVE_TESTS_SEARCH_SEARCH_TESTING_H_

#include <memory>
#include <string>
#include <vector>

#include "ruleweave/ruleweave.h"

namespace search_testing {

// Hands out one record per row; the record object is reused, as hosts may do.
class VectorRecords : public QXCommon::RecordIterator {
 public:
  explicit VectorRecords(const std::vector<std::vector<double>>* rows) : mRows(rows) {}
  bool HasNext() override { return mNext < mRows->size(); }
  const QXCommon::Record* Next() override;

 private:
  const std::vector<std::vector<double>>* mRows;
  std::size_t mNext = 0;
  QXCommon::Record mRecord{0};
};

// Answers yes from its k-th poll on (never when k is 0); counts every poll.
class CancelAt : public QXQueryCancel {
 public:
  explicit CancelAt(int k) : mK(k) {}
  bool IsCancelled() override { return ++mPolls >= mK && mK > 0; }
  int GetPolls() const { return mPolls; }

 private:
  int mK;
  int mPolls = 0;
};

// What one report showed.
struct Report {
  int cases;
  int candidates;
  int rules;
  double elapsed;
};

class RecordingListener : public ProgressListener {
 public:
  bool OnProgress(ProgressReport* report) override;
  std::vector<Report> reports;
};

// Rows of coded values for a variable list; Add appends `count` copies of one row.
struct Table {
  DLVarList vars;
  std::vector<std::vector<double>> rows;

  void Add(int count, const std::vector<double>& row) {
    for (int i = 0; i < count; ++i) rows.push_back(row);
  }
  // Loads the rows through the factory; fails the test (returns null) when loading fails.
  std::unique_ptr<DLDataSet> Load(bool largeCategory = false);
};

// The display text of a model.
std::string DisplayOf(const DLModel& model);

// Owns the models a run appends.
struct Models {
  std::vector<DLModel*> items;
  ~Models();
  std::size_t size() const { return items.size(); }
  const DLModel& operator[](std::size_t i) const { return *items[i]; }
};

}  // namespace search_testing

#endif  // RULEWEAVE_TESTS_SEARCH_SEARCH_TESTING_H_
