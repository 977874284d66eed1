# Benchmarks of the model subsystem and its coverage bookkeeping: the per-category breakdown of
# covered cases and first-hit list measuring, over a million cases.
ruleweave_add_benchmark(model_bench model_bench.cc ${PROJECT_SOURCE_DIR}/tests/testing/model_table.cc)
