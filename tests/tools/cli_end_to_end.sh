#!/usr/bin/env bash
# End-to-end tests of the `ruleweave` program: runs the built program on small generated CSV
# files and checks its tables, PMML, scored output, messages and exit statuses, and that Ctrl-C
# stops a long search with status 130 and no output file.
# Usage: cli_end_to_end.sh PATH/TO/ruleweave WORK_DIR
set -u
RW=$1
WORK=$2
HERE=$(cd "$(dirname "$0")" && pwd)
rm -rf "$WORK"
mkdir -p "$WORK"
cd "$WORK" || exit 1
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# run NAME EXPECTED_STATUS COMMAND...: runs the program, keeps stdout in NAME.out and stderr in
# NAME.err, and checks the exit status.
run() {
  local name=$1 expected=$2
  shift 2
  "$RW" "$@" >"$name.out" 2>"$name.err"
  local status=$?
  if [ "$status" != "$expected" ]; then
    fail "$name: exit status $status, expected $expected"
    sed 's/^/    /' "$name.err" | head -5
  fi
}

# contains NAME FILE TEXT: FILE holds TEXT as a fixed string.
contains() {
  grep -qF -- "$3" "$2" || { fail "$1: $2 lacks: $3"; sed 's/^/    /' "$2" | head -5; }
}

# --- A small table with a planted segment: north and older than 45 always buys; east with an
# income of 80 or more buys; otherwise one row in ten. Ages 20..70 and 10 bins give bin edges
# at multiples of 5, which PMML writes exactly.
awk 'BEGIN {
  split("north south east west", r, " ")
  print "id,age,region,income,bought"
  for (i = 0; i < 400; i++) {
    age = 20 + (i * 7) % 51; reg = r[(i * 3) % 4 + 1]; inc = (i * 13) % 100
    buy = (reg == "north" && age > 45) || (reg == "east" && inc >= 80) || i % 10 == 0
    printf "%d,%d,%s,%s,%s\n", i + 1, age, reg, (i % 25 == 7 ? "?" : inc), (buy ? "yes" : "no")
  }
}' >small.csv

# --- help and version
run help 0 --help
contains help help.out "Usage: ruleweave COMMAND"
run search_help 0 search --help
contains search_help search_help.out "Examples:"
contains search_help search_help.out "--list-depth N"
run score_help 0 score --help
contains score_help score_help.out "--output FILE"
run version 0 --version
contains version version.out "1.0"
run unknown_command 1 frobnicate
contains unknown_command unknown_command.err 'unknown command "frobnicate"'
run unknown_option 1 search small.csv --target bought --response yes --colour
contains unknown_option unknown_option.err "unknown option --colour"
run missing_value 1 search small.csv --target
contains missing_value missing_value.err "--target: this option needs a value"
run no_target 1 search small.csv --response yes
contains no_target no_target.err "--target COL is required"
run bad_number 1 search small.csv --target bought --response yes --list-depth 0
contains bad_number bad_number.err "--list-depth: expected a whole number of at least 1"

# --- describe (income: 4 of its 100 values occur only on rows where it is missing)
run describe 0 describe small.csv --target bought --quiet
cat >describe.expected <<'TXT'
small.csv: 400 rows, 5 columns

id: continuous, predictor, 400 distinct, 0 missing, range [1, 400]
age: continuous, predictor, 51 distinct, 0 missing, range [20, 70]
region: nominal string, predictor, 4 distinct, 0 missing
    north (100), west (100), east (100), south (100)
income: continuous, predictor, 96 distinct, 16 missing, range [0, 99]
TXT
head -7 describe.out >describe.head
diff describe.expected describe.head >/dev/null || { fail "describe: unexpected text"; diff describe.expected describe.head | head; }
contains describe describe.out "bought: nominal string, target, 2 distinct, 0 missing"
run describe_csv 0 describe small.csv --format csv --quiet --max-categories 2
# One row per category (two listed here), numbers as numbers.
contains describe_csv describe_csv.out 'region,nominal string,predictor,4,0,,,north,100'
contains describe_csv describe_csv.out 'region,nominal string,predictor,4,0,,,west,100'
grep -q ',east,' describe_csv.out && fail "describe_csv: more categories than --max-categories"
contains describe_csv describe_csv.out "age,continuous,predictor,51,0,20,70,,"
run describe_json 0 describe small.csv --format json --quiet --ordinal region
contains describe_json describe_json.out '{"name": "region", "kind": "ordinal string", "role": "predictor", "distinct": 4, "missing": 0, "categories": [{"value": "north", "count": 100}'

# --- search: table and PMML
run search 0 search small.csv --target bought --response yes --ignore id --bins 10 \
  --list-depth 2 --rule-depth 2 --pmml model.pmml --sql model.sql --format csv --quiet
contains search search.out "model,target,response,cases,base_rate,rule,conditions,coverage"
contains search search.out "1,bought,yes,400,"
[ -s model.pmml ] || fail "search: no PMML file"
contains search model.pmml 'modelName="RuleSet0"'
contains search model.pmml 'usageType="predicted"'
contains search model.pmml 'score="yes"'
ls model.pmml.tmp* >/dev/null 2>&1 && fail "search: a temporary file was left behind"
# The planted segment is found first: north and age above 45 (or the part of it the bins allow).
awk -F, 'NR == 2' search.out | grep -q 'region = north' || fail "search: first rule does not pick region = north: $(sed -n 2p search.out)"
run search_table 0 search small.csv --target bought --response yes --ignore id --bins 10 \
  --list-depth 2 --rule-depth 2 --quiet
contains search_table search_table.out "Model 1: target bought = yes, 400 cases"
contains search_table search_table.out "95% interval"
contains search_table search_table.out "remainder"
run search_json 0 search small.csv --target bought --response yes --ignore id --bins 10 \
  --list-depth 2 --rule-depth 2 --format json --quiet
contains search_json search_json.out '{"models": ['
contains search_json search_json.out '"remainder": {"label": "remainder"'
# Valid JSON, rule numbers as numbers, each condition structured.
/usr/bin/python3 -c '
import json, sys
m = json.load(open(sys.argv[1]))["models"][0]
rule = m["rules"][0]
assert isinstance(rule["rule"], int) and isinstance(rule["coverage"], (int, float)), rule
c = rule["conditions"][0]
assert c["column"] == "region" and c["kind"] == "in" and c["values"] == ["north"], c
assert " and ".join(c["text"] for c in rule["conditions"]) == rule["text"], rule
' search_json.out || fail "search_json: not the documented JSON"

# --- score: the same figures as the search's first model, and checked assignments
run score 0 score model.pmml small.csv --format csv --output scored.csv --quiet
# score adds the rate each rule had on the training data as its last field.
grep '^1,' search.out >search.model1
grep '^1,' score.out | sed 's/,[^,]*$//' >score.model1
diff search.model1 score.model1 >/dev/null || { fail "score: figures differ from the search"; diff search.model1 score.model1 | head; }
[ -s scored.csv ] || fail "score: no output file"
contains score scored.csv "id,age,region,income,bought,rule,rule_conditions,rule_rate"
awk -f "$HERE/check_assignments.awk" phase=1 score.out phase=2 scored.csv || fail "score: assignments do not follow the rules"

# Data without one category of the model (no north rows) and with one it never saw.
awk -F, 'NR == 1 || $3 != "north"' small.csv >no_north.csv
run score_lacking 0 score model.pmml no_north.csv --format csv --output scored2.csv --quiet
awk -f "$HERE/check_assignments.awk" phase=1 score_lacking.out phase=2 scored2.csv || fail "score_lacking: assignments"
awk -F, 'BEGIN { OFS = "," } NR > 1 && NR % 3 == 0 { $3 = "atlantis" } { print }' small.csv >new_cat.csv
run score_new 0 score model.pmml new_cat.csv --format csv --output scored3.csv --quiet
awk -f "$HERE/check_assignments.awk" phase=1 score_new.out phase=2 scored3.csv || fail "score_new: assignments"
grep -q 'atlantis' scored3.csv || fail "score_new: the new category is not in the output"

# Data that does not fit the model.
cut -d, -f1,3- small.csv >no_age.csv
run score_missing_column 1 score model.pmml no_age.csv --quiet
contains score_missing_column score_missing_column.err 'no_age.csv:1: the column "age" used by the model model.pmml is missing'
awk -F, 'BEGIN { OFS = "," } NR == 5 { $2 = "old" } { print }' small.csv >text_age.csv
run score_text_column 1 score model.pmml text_age.csv --quiet --output never.csv
contains score_text_column score_text_column.err 'text_age.csv:5: column "age" holds the value "old", but the model model.pmml reads it as numbers'
[ -e never.csv ] && fail "score_text_column: an output file was written"
echo "not xml" >broken.pmml
run score_broken_model 1 score broken.pmml small.csv --quiet
contains score_broken_model score_broken_model.err "broken.pmml: not a readable PMML document"

# --- errors in the data and the options
printf 'a,b,c\n1,2,x\n3,4\n' >ragged.csv
run ragged 1 search ragged.csv --target c --response x
contains ragged ragged.err "ragged.csv:3: ragged row: expected 3 fields as in the header, found 2"
printf 'a,b\n1,"open\n2,3\n' >quote.csv
run quote 1 describe quote.csv
contains quote quote.err "quote.csv:2:3: unterminated quoted field"
printf 'a,b,a\n1,2,3\n' >dup.csv
run duplicate 1 describe dup.csv
contains duplicate duplicate.err 'dup.csv:1:5: duplicate column name "a" in the header'
run unknown_column 1 search small.csv --target bought --response yes --ignore nope
contains unknown_column unknown_column.err '--ignore: unknown column "nope" (not in the header)'
run continuous_target 1 search small.csv --target bought --response yes --continuous bought
contains continuous_target continuous_target.err '--target: column "bought" must be categorical'
run bad_response 1 search small.csv --target bought --response maybe
contains bad_response bad_response.err '--response: the value "maybe" does not occur in the target column "bought" (its values: yes, no)'
run text_continuous 1 search small.csv --target bought --response yes --continuous region
contains text_continuous text_continuous.err 'small.csv:2: continuous column "region" holds the value "north", which is not a number'
# More bins than a byte can code: refused before reading (it was library status 110018).
run too_many_bins 1 search small.csv --target bought --response yes --bins 256 --quiet
contains too_many_bins too_many_bins.err "--bins: 256 is too large (at most 255: a data set stores bin codes in one byte"
run no_dir 1 search small.csv --target bought --response yes --pmml no/such/dir/m.pmml --quiet
contains no_dir no_dir.err "no/such/dir/m.pmml: cannot create the output file"
printf 'a\tb\n1\t"x\ty"\n' >tabs.tsv
run tabs 0 describe tabs.tsv --delimiter tab --quiet
contains tabs tabs.out "b: nominal string, predictor, 1 distinct, 0 missing"
run missing_file 1 describe nothere.csv
contains missing_file missing_file.err "nothere.csv: cannot open the file for reading"

# --- input: standard input, gzip, encodings, and refusals that name the real cause
mkdir -p spool
TMPDIR=$PWD/spool run stdin_search 0 search - --target bought --response yes --ignore id --bins 10 \
  --format csv --quiet <small.csv
contains stdin_search stdin_search.out "1,bought,yes,400,"
[ -z "$(ls spool)" ] || fail "stdin_search: the spooled copy was left behind"
run named_pipe 0 search <(cat small.csv) --target bought --response yes --ignore id --bins 10 \
  --format csv --quiet
contains named_pipe named_pipe.out "1,bought,yes,400,"
gzip -c small.csv >small.csv.gz
cp small.csv.gz small_gz.dat  # found by its magic bytes, not its name
run gzip 0 search small_gz.dat --target bought --response yes --ignore id --bins 10 --format csv --quiet
contains gzip gzip.out "1,bought,yes,400,"
printf 'a,b\n1,caf\xe9\n2,tea\n' >latin1.csv
run latin1_refused 1 describe latin1.csv --quiet
contains latin1_refused latin1_refused.err "latin1.csv:2:6: the text is not valid UTF-8; if the file is Latin-1 (ISO 8859-1), read it with --encoding latin1"
run latin1 0 describe latin1.csv --encoding latin1 --format json --quiet
contains latin1 latin1.out '{"value": "café", "count": 1}'
tr ',' ';' <small.csv >semicolon.csv
run semicolon 1 search semicolon.csv --target bought --response yes
contains semicolon semicolon.err "semicolon.csv:1: the header is one column, \"id;age;region;income;bought\", that holds the delimiter ';': the file seems to be written with it; read it with --delimiter ';'"
tr '\n' '\r' <small.csv >cr_only.csv
run cr_only 1 describe cr_only.csv
contains cr_only cr_only.err "carriage return alone"
head -1 small.csv >header_only.csv
run header_only 1 search header_only.csv --target bought --response yes
contains header_only header_only.err "header_only.csv: the file has a header but no data rows"
mkdir -p a_dir
run directory 1 describe a_dir
contains directory directory.err "a_dir: is a directory, not a data file"
run huge_number 1 search small.csv --target bought --response yes --list-depth 99999999999999999999
contains huge_number huge_number.err "--list-depth: 99999999999999999999 is too large (at most 1000000000)"
printf 'a,b\n1,"long\nvalue"\n' >long_field.csv
run field_cap 1 describe long_field.csv --max-field-bytes 4
contains field_cap field_cap.err "long_field.csv:2:3: a field longer than 4 bytes (the limit; --max-field-bytes N raises it)"
truncate -s 65M huge.pmml
run huge_model 1 score huge.pmml small.csv --quiet
contains huge_model huge_model.err "huge.pmml: the file has 68157440 bytes, more than the 67108864 a model document may have"
# --na COL=TOKEN: 0 is missing in income only (region has no zeros; age none either).
run na_column 0 describe small.csv --na income=0 --format csv --quiet
contains na_column na_column.out "income,continuous,predictor,95,20,1,99,"
# An identifier held as text is pointed out, in search and describe alike.
awk -F, 'BEGIN { OFS = "," } NR > 1 { $1 = "c" $1 } { print }' small.csv >text_id.csv
run identifier 0 describe text_id.csv --quiet
contains identifier identifier.err 'column "id" looks like an identifier (all its 400 values differ), which slows the search and explains nothing; leave it out with --ignore id'
# No model: one exit status whether or not a PMML file was asked for.
awk 'BEGIN { print "x,y"; for (i = 0; i < 40; i++) print i % 2 ",", (i % 4 < 2 ? "a" : "b") }' | tr -d ' ' >no_model.csv
run no_model 3 search no_model.csv --target y --response a --quiet
run no_model_pmml 3 search no_model.csv --target y --response a --quiet --pmml none.pmml
contains no_model_pmml no_model_pmml.err "no model was found, so no PMML file was written"
[ -e none.pmml ] && fail "no_model_pmml: a PMML file was written"
# The same through the holdout and model choice: status 3, one message, no file kept.
run no_model_best 3 search no_model.csv --target y --response a --quiet --holdout 0.3 \
  --pmml none.pmml --model best --sql none.sql
contains no_model_best no_model_best.err "no model was found, so no PMML file nor any other file was written"
grep -q -- '--model' no_model_best.err && fail "no_model_best: a --model message besides the no-model one"
[ -e none.pmml ] || [ -e none.sql ] && fail "no_model_best: an output file was written"
# A holdout that leaves one side without rows is the options' fault, said as such.
printf 'x,y\n1,a\n2,b\n3,a\n' >three_rows.csv
run holdout_empty 1 search three_rows.csv --target y --response a --holdout 0.9
contains holdout_empty holdout_empty.err "three_rows.csv: no row is left to load (the other rows are on the other side of the --holdout split)"
# describe: all-missing columns said so, repeated warnings summed up; no control codes in a log.
awk -F, 'BEGIN { OFS = "," } { print $0, (NR == 1 ? "e1,e2,e3,e4,e5" : ",,,,") }' small.csv >empty_cols.csv
run all_missing 0 describe empty_cols.csv --progress
contains all_missing all_missing.out "e1: continuous, unused, all 400 values missing"
contains all_missing all_missing.err "ruleweave: warning: ... and 2 more columns like this"
grep -q $'\033' all_missing.err && fail "all_missing: terminal control codes in a log file"

# --- weights: a weight of 0 or a missing weight drops the row
awk -F, 'BEGIN { OFS = "," } NR == 1 { print $0, "w"; next } { print $0, (NR % 4 == 0 ? 0 : (NR % 4 == 1 ? "?" : 2.4)) }' small.csv >weighted.csv
run weighted 0 search weighted.csv --target bought --response yes --ignore id --weight w --bins 10 --format csv --quiet
# 200 rows keep a weight of 2 (2.4 rounded): 400 cases.
contains weighted weighted.out "1,bought,yes,400,"
# No row keeps a weight: said so (it was library status 110011).
awk -F, 'BEGIN { OFS = "," } NR == 1 { print $0, "w"; next } { print $0, 0 }' small.csv >zero_weights.csv
run zero_weights 1 search zero_weights.csv --target bought --response yes --weight w --quiet
contains zero_weights zero_weights.err 'zero_weights.csv: no row has a usable weight in column "w"'

# --- demo
run demo 0 demo --quiet --write-csv demo.csv
contains demo demo.out "Model 1: target responded = yes, 4000 cases"
[ "$(wc -l <demo.csv)" = 4001 ] || fail "demo: --write-csv wrote $(wc -l <demo.csv) lines"
# Lists the beam kept twice (the same rules, conditions grown in another order) are printed once,
# with a note: no two printed models may hold the same rules once each rule's conditions are sorted.
run demo_repeats 0 demo --format csv
contains demo_repeats demo_repeats.err "repeating the rules of an earlier one"
awk -F'"' 'NR > 1 {
    n = split($2, parts, / and /)
    for (i = 2; i <= n; i++) {  # insertion sort (no asort in every awk)
      v = parts[i]
      for (j = i - 1; j >= 1 && parts[j] > v; j--) parts[j + 1] = parts[j]
      parts[j + 1] = v
    }
    key = parts[1]
    for (i = 2; i <= n; i++) key = key " and " parts[i]
    split($1, head, ","); model = head[1]
    rules[model] = rules[model] key ";"
  }
  END {
    for (a in rules) for (b in rules) if (a < b && rules[a] == rules[b]) { print a, b; exit 1 }
  }' demo_repeats.out || fail "demo: two printed models hold the same rules"
# The demo's rules overlap (a later rule may hold cases an earlier one took), so first-hit
# measuring is checked here too, along with a PMML round trip of an ordinal string column.
run demo_search 0 search demo.csv --target responded --response yes --ignore customer_id \
  --ordinal education --levels 'education=basic|secondary|higher' --bins 10 --min-group 100 \
  --pmml demo.pmml --sql demo.sql --format csv --quiet
run demo_score 0 score demo.pmml demo.csv --format csv --output demo_scored.csv --quiet
grep '^1,' demo_search.out >demo_search.model1
grep '^1,' demo_score.out | sed 's/,[^,]*$//' >demo_score.model1
diff demo_search.model1 demo_score.model1 >/dev/null || { fail "demo_score: figures differ from the search"; diff demo_search.model1 demo_score.model1 | head; }
awk -f "$HERE/check_assignments.awk" phase=1 demo_score.out phase=2 demo_scored.csv || fail "demo_score: assignments do not follow the rules"

# --- Outputs: an input is never overwritten; a reader closing standard output early costs no
# file and no message.
cp model.pmml model.copy
run output_is_input 1 score model.pmml small.csv --output model.pmml --quiet
contains output_is_input output_is_input.err "model.pmml: --output names the input file model.pmml"
cmp -s model.pmml model.copy || fail "output_is_input: the model was changed"
"$RW" search small.csv --target bought --response yes --ignore id --bins 10 --pmml piped.pmml \
  --quiet 2>piped.err | true
status=${PIPESTATUS[0]}
[ "$status" = 0 ] || fail "piped: exit status $status, expected 0"
[ -s piped.pmml ] || fail "piped: no PMML file"
[ -s piped.err ] && fail "piped: messages: $(head -2 piped.err)"

# --- Tables fit the width (100 columns when standard output is not a terminal): conditions
# with long column names go under the figures, a long set of categories breaks after a comma,
# and the figures of every rule of a model end in the same column.
awk 'BEGIN {
  print "customer_lifetime_value_in_euros,preferred_city_of_residence,number_of_previous_purchases,responded"
  for (i = 0; i < 4000; i++) {
    v = (i * 37) % 1000; c = sprintf("city_%02d", (i * 7) % 40); n = i % 13
    yes = (c <= "city_19" && i % 3 != 0) || (n > 10 && v > 500) || i % 17 == 0
    printf "%d,%s,%d,%s\n", v, c, n, (yes ? "yes" : "no")
  }
}' >wide.csv
# fits NAME WIDTH: every line of NAME.out has at most WIDTH columns, and in each model the lines
# with figures end in one column.
fits() {
  awk -v width="$2" 'length($0) > width { print "line " NR " has " length($0) " columns"; bad = 1 }
    /^Model/ { model++ }
    /^   [0-9.]+ .*%$/ { if (!((model, length($0)) in ends)) { ends[model, length($0)] = 1; count[model]++ } }
    END { for (m in count) if (count[m] != 1) { print "model " m ": rule lines end in " count[m] " columns"; bad = 1 }
          exit bad }' "$1.out" || fail "$1: the table does not fit $2 columns"
}
wide_search="search wide.csv --target responded --response yes --ordinal preferred_city_of_residence --bins 10 --list-depth 2 --min-group 400 --quiet"
run wide 0 $wide_search
fits wide 100
contains wide wide.out "preferred_city_of_residence in {city_00, city_07, city_14, city_21, city_28}"
run wide_75 0 $wide_search --width 75
fits wide_75 75
grep -q '^         preferred_city_of_residence in {.*,$' wide_75.out || fail "wide_75: the set was not broken after a comma"
run wide_unlimited 0 $wide_search --width 0
awk 'length($0) > 100 { wide = 1 } END { exit !wide }' wide_unlimited.out || fail "wide_unlimited: --width 0 still wraps"

# --- SQL: the expression of --sql, run in SQLite on the data (empty and "?" fields stored as
# NULL, columns typed as describe reads them), gives every row the rule score gives it.
# sql_check NAME DATA SQL SCORED
sql_check() {
  local name=$1 data=$2 sql=$3 scored=$4
  "$RW" describe "$data" --format csv --quiet >"$name.columns" || { fail "$name: describe"; return; }
  {
    awk -F, 'NR > 1 && !seen[$1]++ {
        printf "%s\"%s\" %s", (n++ ? ", " : "CREATE TABLE data ("), $1, ($2 ~ /continuous|numeric/ ? "REAL" : "TEXT")
      } END { print ");" }' "$name.columns"
    echo ".mode csv"
    echo ".import --skip 1 $data data"
    awk -F, 'NR > 1 && !seen[$1]++ {
        printf "UPDATE data SET \"%s\" = NULL WHERE \"%s\" IN (\047\047, \047?\047);\n", $1, $1
      }' "$name.columns"
    echo ".mode list"
    cat "$sql"
  } >"$name.sqlite"
  sqlite3 -bail :memory: <"$name.sqlite" >"$name.sqlout" 2>"$name.sqlerr" || { fail "$name: sqlite3: $(head -3 "$name.sqlerr")"; return; }
  awk -F'|' '{ print $(NF - 1) }' "$name.sqlout" >"$name.sqlrules"
  # The scored file's rule column, read by SQLite's CSV import (rule_conditions holds commas).
  printf '.mode csv\n.import %s scored\n.mode list\nSELECT "rule" FROM scored;\n' "$scored" |
    sqlite3 -bail :memory: >"$name.scorerules" 2>>"$name.sqlerr" || { fail "$name: sqlite3 reading $scored"; return; }
  [ -s "$name.sqlrules" ] || { fail "$name: SQLite gave no rows"; return; }
  cmp -s "$name.sqlrules" "$name.scorerules" || { fail "$name: SQL and score assign rules differently"; diff "$name.sqlrules" "$name.scorerules" | head -5; }
}
if command -v sqlite3 >/dev/null; then
  sql_check sql_small small.csv model.sql scored.csv
  sql_check sql_demo demo.csv demo.sql demo_scored.csv
else
  echo "SKIPPED: sqlite3 is not installed; the SQL cross-check did not run"
fi

# --- Ctrl-C: SIGINT to a search of a larger file ends it with 130 and writes nothing.
awk 'BEGIN {
  printf "y"; for (c = 1; c <= 20; c++) printf ",x%d", c; print ""
  s = 12345
  for (i = 0; i < 200000; i++) {
    s = (s * 1103515245 + 12345) % 2147483648
    printf "%s", (s % 7 < 2 ? "a" : "b")
    for (c = 1; c <= 20; c++) { s = (s * 1103515245 + 12345) % 2147483648; printf ",%d", s % 1000 }
    print ""
  }
}' >big.csv
set -m  # background jobs get their own process group and keep SIGINT
# --progress writes the stage to the error file, so the signal can wait for the search to run.
"$RW" search big.csv --target y --response a --list-width 10 --rule-width 10 --pmml big.pmml \
  --progress >sigint.out 2>sigint.err &
pid=$!
for _ in $(seq 600); do
  grep -q searching sigint.err 2>/dev/null && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null && grep -q searching sigint.err; then
  kill -INT "$pid"
  wait "$pid"
  status=$?
  [ "$status" = 130 ] || fail "sigint: exit status $status, expected 130"
  contains sigint sigint.err "interrupted"
  [ -e big.pmml ] && fail "sigint: an output file was written"
  ls big.pmml.tmp* >/dev/null 2>&1 && fail "sigint: a temporary file was left behind"
else
  wait "$pid"
  fail "sigint: the search ended before the signal could be sent"
fi
set +m

if [ "$failures" -ne 0 ]; then
  echo "$failures end-to-end check(s) failed"
  exit 1
fi
echo "all end-to-end checks passed"
