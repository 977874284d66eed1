// Case sets at search scale (word-wise algebra, counting, walks) and the measure's bounds.
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "ruleweave/foundation/bit_set.h"
#include "ruleweave/foundation/measure.h"

namespace {

// A set of the given capacity with every element present with probability 1/2 (never empty or
// full, so no operator takes a short cut).
DLBitSet HalfSet(int capacity, unsigned seed) {
  std::mt19937 rng(seed);
  std::bernoulli_distribution coin(0.5);
  DLBitSet s(capacity);
  for (int i = 0; i < capacity; ++i) {
    if (coin(rng)) s.AddElement(i);
  }
  return s;
}

void BM_BitSetAnd(benchmark::State& state) {
  const int capacity = static_cast<int>(state.range(0));
  const DLBitSet a = HalfSet(capacity, 1);
  const DLBitSet b = HalfSet(capacity, 2);
  DLBitSet x = a;
  for (auto _ : state) {
    x &= b;  // stays a & b after the first pass, but every pass reads and writes every word
    benchmark::DoNotOptimize(x.GetNumOfElements());
  }
  state.SetBytesProcessed(state.iterations() * (capacity / 8) * 2);
}

void BM_BitSetOr(benchmark::State& state) {
  const int capacity = static_cast<int>(state.range(0));
  DLBitSet x = HalfSet(capacity, 1);
  const DLBitSet b = HalfSet(capacity, 2);
  for (auto _ : state) {
    x |= b;
    benchmark::DoNotOptimize(x.GetNumOfElements());
  }
  state.SetBytesProcessed(state.iterations() * (capacity / 8) * 2);
}

void BM_BitSetMinus(benchmark::State& state) {
  const int capacity = static_cast<int>(state.range(0));
  DLBitSet x = HalfSet(capacity, 1);
  const DLBitSet b = HalfSet(capacity, 2);
  for (auto _ : state) {
    x -= b;
    benchmark::DoNotOptimize(x.GetNumOfElements());
  }
  state.SetBytesProcessed(state.iterations() * (capacity / 8) * 2);
}

// Counting: the complement touches every word and recounts; the cached count is then O(1).
void BM_BitSetComplementAndCount(benchmark::State& state) {
  const int capacity = static_cast<int>(state.range(0));
  DLBitSet x = HalfSet(capacity, 1);
  for (auto _ : state) {
    ~x;
    benchmark::DoNotOptimize(x.GetNumOfElements());
  }
  state.SetBytesProcessed(state.iterations() * (capacity / 8));
}

void BM_BitSetCachedCount(benchmark::State& state) {
  const DLBitSet x = HalfSet(static_cast<int>(state.range(0)), 1);
  for (auto _ : state) benchmark::DoNotOptimize(x.GetNumOfElements());
}

void BM_BitSetWalk(benchmark::State& state) {
  const DLBitSet x = HalfSet(static_cast<int>(state.range(0)), 1);
  for (auto _ : state) {
    long sum = 0;
    int id = 0;
    for (bool more = x.GetElementID(id, true); more; more = x.GetElementID(id, false)) sum += id;
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * x.GetNumOfElements());
}

void BM_BitSetElementIDs(benchmark::State& state) {
  const DLBitSet x = HalfSet(static_cast<int>(state.range(0)), 1);
  std::vector<int> ids;
  for (auto _ : state) {
    x.GetElementIDs(ids);
    benchmark::DoNotOptimize(ids.data());
  }
  state.SetItemsProcessed(state.iterations() * x.GetNumOfElements());
}

// Both 95% bounds of one measure: typical rule, huge weighted coverage, rare response.
void BM_MeasureBounds(benchmark::State& state) {
  const double cases[][2] = {{100, 30}, {1e6, 3e5}, {1e9, 5}};
  const DLMeasure m(cases[state.range(0)][0], cases[state.range(0)][1]);
  for (auto _ : state) {
    benchmark::DoNotOptimize(m.GetLowerProbabilityBoundary());
    benchmark::DoNotOptimize(m.GetUpperProbabilityBoundary());
  }
}

}  // namespace

BENCHMARK(BM_BitSetAnd)->Arg(1000000)->Arg(10000000);
BENCHMARK(BM_BitSetOr)->Arg(1000000)->Arg(10000000);
BENCHMARK(BM_BitSetMinus)->Arg(1000000)->Arg(10000000);
BENCHMARK(BM_BitSetComplementAndCount)->Arg(1000000)->Arg(10000000);
BENCHMARK(BM_BitSetCachedCount)->Arg(10000000);
BENCHMARK(BM_BitSetWalk)->Arg(1000000)->Arg(10000000);
BENCHMARK(BM_BitSetElementIDs)->Arg(1000000)->Arg(10000000);
BENCHMARK(BM_MeasureBounds)->DenseRange(0, 2);
