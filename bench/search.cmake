# Search benchmarks: a full decision-list search over a million synthetic cases.
ruleweave_add_benchmark(search_bench search_bench.cc)
# How the search scales with the number of categories of a predictor and with the number of
# predictors.
ruleweave_add_benchmark(scaling_bench scaling_bench.cc)
