# PMML benchmarks.
ruleweave_add_benchmark(bench_pmml_import pmml_import_bench.cc)
