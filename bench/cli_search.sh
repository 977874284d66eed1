#!/usr/bin/env bash
# Times `ruleweave search` on a generated CSV of 1e6 rows and 40 predictors (plus the target)
# with the search benchmark's settings (list depth 5, list width 5, rule depth 3, rule width 5,
# 100 equal-width bins), and reports reading + loading time versus search time, the in-memory
# size of the loaded data set and the peak memory after loading and at the end.
# Usage: bench/cli_search.sh BUILD_DIR [ROWS [THREADS]]   (BUILD_DIR configured with benchmarks
# on; THREADS is passed to --threads, default 0: one per core)
# The generated file goes to $TMPDIR (not the repository) and is reused while it exists.
set -euo pipefail
build=${1:?usage: cli_search.sh BUILD_DIR [ROWS [THREADS]]}
rows=${2:-1000000}
threads=${3:-0}
data="${TMPDIR:-/tmp}/ruleweave_cli_bench_${rows}.csv"
if [ ! -s "$data" ]; then
  echo "generating $data ..."
  "$build/bin/cli_make_csv" "$data" "$rows"
fi
echo "file: $data ($(du -h "$data" | cut -f1))"
nominal=$(seq -s, -f 'n%g' 0 14)
ordinal=$(seq -s, -f 'o%g' 0 4)
/usr/bin/time -v "$build/bin/ruleweave" search "$data" --target y --response 1 \
  --nominal "$nominal" --ordinal "$ordinal" --list-depth 5 --list-width 5 --rule-depth 3 \
  --rule-width 5 --bins 100 --binning width --confidence 0.95 --min-group 1 --models all \
  --threads "$threads" --quiet --timings --format csv \
  >"${TMPDIR:-/tmp}/ruleweave_cli_bench_result.csv" 2>"${TMPDIR:-/tmp}/ruleweave_cli_bench.err"
grep -E '^(timings|memory):|Maximum resident|Elapsed \(wall' "${TMPDIR:-/tmp}/ruleweave_cli_bench.err"
echo "models: $(cut -d, -f1 "${TMPDIR:-/tmp}/ruleweave_cli_bench_result.csv" | sort -u | grep -vc model)"
