#!/usr/bin/env bash
# Validates every PMML document the export tests wrote against the PMML 3.0 schema.
#
#   validate_exports.sh [--require] [--run TEST_EXE] DIR XSD
#
# --run TEST_EXE  first empties DIR and runs the export tests of TEST_EXE with
#                 RULEWEAVE_PMML_EXPORT_DIR=DIR, so DIR holds exactly this run's documents;
# --require       a missing XSD is an error (exit 1) instead of a skip (exit 77).
# Every DIR/*.xml must validate with `xmllint --noout --schema XSD`; finding none is an error.
set -euo pipefail

require=0
test_exe=""
while [ $# -gt 0 ]; do
  case "$1" in
    --require) require=1; shift ;;
    --run) test_exe="$2"; shift 2 ;;
    *) break ;;
  esac
done
if [ $# -ne 2 ]; then
  echo "usage: $0 [--require] [--run TEST_EXE] DIR XSD" >&2
  exit 2
fi
dir="$1"
xsd="$2"

if [ ! -f "$xsd" ]; then
  if [ "$require" -eq 1 ]; then
    echo "PMML schema not found: $xsd" >&2
    exit 1
  fi
  echo "skipped: PMML schema not found at $xsd (exported documents not validated)"
  exit 77
fi
if ! command -v xmllint > /dev/null; then
  echo "xmllint not found" >&2
  exit 1
fi

if [ -n "$test_exe" ]; then
  rm -rf "$dir"
  mkdir -p "$dir"
  RULEWEAVE_PMML_EXPORT_DIR="$dir" "$test_exe" --gtest_filter='PMMLExport*' \
    --gtest_brief=1 > "$dir/tests.log" 2>&1 || {
    cat "$dir/tests.log" >&2
    echo "export tests failed" >&2
    exit 1
  }
fi

shopt -s nullglob
documents=("$dir"/*.xml)
if [ ${#documents[@]} -eq 0 ]; then
  echo "no exported documents in $dir" >&2
  exit 1
fi
failed=0
for doc in "${documents[@]}"; do
  if ! xmllint --noout --nonet --schema "$xsd" "$doc" 2> "$doc.log"; then
    cat "$doc.log" >&2
    failed=1
  fi
done
if [ "$failed" -ne 0 ]; then
  echo "some exported documents are not valid PMML 3.0" >&2
  exit 1
fi
echo "${#documents[@]} exported documents are valid PMML 3.0"
