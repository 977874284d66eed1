# Benchmarks of the variables subsystem: encoders and equal-frequency cut points.
ruleweave_add_benchmark(variables_bench variables_bench.cc)
