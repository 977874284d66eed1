#!/usr/bin/env bash
# Times `ruleweave search` on a generated CSV of 1e6 rows and 40 predictors (plus the target)
# with the search benchmark's settings (list depth 5, list width 5, rule depth 3, rule width 5,
# 100 equal-width bins), and reports reading + loading time versus search time, the in-memory
# size of the loaded data set and the peak memory after loading and at the end.
# Usage: bench/cli_search.sh BUILD_DIR [ROWS [THREADS [PREDICTORS]]]   (BUILD_DIR configured with
# benchmarks on; THREADS is passed to --threads, default 0: one per core; PREDICTORS is 40, the
# default, or 20: 10 continuous, 7 nominal and 3 ordinal columns)
# The generated file goes to $TMPDIR (not the repository) and is reused while it exists.
set -euo pipefail
build=${1:?usage: cli_search.sh BUILD_DIR [ROWS [THREADS [PREDICTORS]]]}
rows=${2:-1000000}
threads=${3:-0}
predictors=${4:-40}
case $predictors in
  40) data="${TMPDIR:-/tmp}/ruleweave_cli_bench_${rows}.csv" kinds="14 4" ;;
  20) data="${TMPDIR:-/tmp}/ruleweave_cli_bench_${rows}_20.csv" kinds="6 2" ;;
  *) echo "cli_search.sh: PREDICTORS must be 40 or 20" >&2; exit 2 ;;
esac
if [ ! -s "$data" ]; then
  echo "generating $data ..."
  "$build/bin/cli_make_csv" "$data" "$rows" "$predictors"
fi
echo "file: $data ($(du -h "$data" | cut -f1))"
read -r lastNominal lastOrdinal <<<"$kinds"
nominal=$(seq -s, -f 'n%g' 0 "$lastNominal")
ordinal=$(seq -s, -f 'o%g' 0 "$lastOrdinal")
/usr/bin/time -v "$build/bin/ruleweave" search "$data" --target y --response 1 \
  --nominal "$nominal" --ordinal "$ordinal" --list-depth 5 --list-width 5 --rule-depth 3 \
  --rule-width 5 --bins 100 --binning width --confidence 0.95 --min-group 1 --models all \
  --threads "$threads" --quiet --timings --format csv \
  >"${TMPDIR:-/tmp}/ruleweave_cli_bench_result.csv" 2>"${TMPDIR:-/tmp}/ruleweave_cli_bench.err"
grep -E '^(timings|memory):|Maximum resident|Elapsed \(wall' "${TMPDIR:-/tmp}/ruleweave_cli_bench.err"
echo "models: $(cut -d, -f1 "${TMPDIR:-/tmp}/ruleweave_cli_bench_result.csv" | sort -u | grep -vc model)"
# Values (rows x columns, the target included) per second of each pass over the file.
sed -nE 's/^timings: read and plan ([0-9.]+) s.*, load ([0-9.]+) s.*/\1 \2/p' \
  "${TMPDIR:-/tmp}/ruleweave_cli_bench.err" | awk -v values="$((rows * (predictors + 1)))" \
  '{ printf "rate: read and plan %.0f M values/s, load %.0f M values/s\n", values / $1 / 1e6, values / $2 / 1e6 }'
