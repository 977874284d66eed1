# Benchmarks of the data subsystem: loading records and building the binned view.
ruleweave_add_benchmark(bench_data data_bench.cc)
