// Loading allocates only when a column grows: the number of allocations while loading grows with
// the logarithm of the number of records, not with the number of values. Counts every global
// operator new of this test program while a load runs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <vector>

#include "data_testing.h"
#include "ruleweave/ruleweave.h"

namespace {

bool gCounting = false;
long gAllocations = 0;

}  // namespace

// The replacements pair malloc with free, as a replacement must; GCC cannot see that the two
// belong together once operator new is inlined into a caller and warns.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
  if (gCounting) ++gAllocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// Allocations made by InputData for `n` records of four variables.
long AllocationsForLoading(int n) {
  DLVarList vars;
  vars.AddCatVar("c", "", IDLVar::kNominalNumeric, IDLVar::kPredictor, IDLVar::kInteger);
  vars.AddContVar("x", "", 0.0, 1.0, IDLVar::kPredictor);
  vars.AddFreqWeightVar("w", "", IDLVar::kTruncate);
  vars.AddCatVar("t", "", IDLVar::kNominalNumeric, IDLVar::kTarget, IDLVar::kInteger);
  std::vector<std::vector<double>> rows;
  for (int i = 0; i < n; ++i) rows.push_back({double(i % 5), i * 0.001, 1.0, double(i % 2)});
  data_testing::VectorRecords source = data_testing::Rows(rows);
  // The record object is sized by its first Next(); fetch-and-size it outside the count.
  DLDataSet data(vars, false);
  gAllocations = 0;
  gCounting = true;
  const QXDecision::QXStatus status = data.InputData(source, DLSettings());
  gCounting = false;
  EXPECT_TRUE(status.IsOK());
  EXPECT_EQ(data.GetNumOfCases(), n);
  return gAllocations;
}

TEST(DLDataSet, LoadingAllocatesOnlyWhenColumnsGrow) {
  const long small = AllocationsForLoading(1000);
  const long large = AllocationsForLoading(100000);
  // 100 times the records: each of the four columns doubles about log2(100) < 7 more times.
  EXPECT_LE(large - small, 4 * 8) << small << " vs " << large;
  EXPECT_LT(large, 1000);
}

}  // namespace
