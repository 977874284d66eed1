# Case-set operations and one confidence-bound computation.
ruleweave_add_benchmark(foundation_bench foundation_bench.cc)
