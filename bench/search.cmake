# Search benchmarks: a full decision-list search over a million synthetic cases.
ruleweave_add_benchmark(search_bench search_bench.cc)
