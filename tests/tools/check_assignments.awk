# Independent check of `ruleweave score --output`: re-reads the rules from the result table
# (--format csv), evaluates their conditions on every row of the scored file with first-hit
# semantics, and compares the rule each row should go to, and each rule's coverage and responses,
# with what the program wrote.
# Usage: awk -f check_assignments.awk phase=1 table.csv phase=2 scored.csv
# Handles the condition forms the program writes for plain category values and numbers.

function splitcsv(line, f,    n, i, c, q, cur) {
  n = 0; cur = ""; q = 0
  for (i = 1; i <= length(line); i++) {
    c = substr(line, i, 1)
    if (q) {
      if (c == "\"") {
        if (substr(line, i + 1, 1) == "\"") { cur = cur "\""; i++ } else q = 0
      } else cur = cur c
    } else if (c == "\"") q = 1
    else if (c == ",") { f[++n] = cur; cur = "" }
    else cur = cur c
  }
  f[++n] = cur
  return n
}

function ismiss(v) { return v == "" || v == "?" }
function isnum(v) { return v ~ /^[-+]?[0-9]+(\.[0-9]*)?([eE][-+]?[0-9]+)?$/ }

function same(v, m) {
  if (m == "missing") return ismiss(v)
  if (ismiss(v)) return 0
  if (v == m) return 1
  return isnum(v) && isnum(m) && v + 0 == m + 0
}

function inset(v, set,    parts, n, k) {
  n = split(set, parts, ", ")
  for (k = 1; k <= n; k++) if (same(v, parts[k])) return 1
  return 0
}

function cond(c,    name, v, rest, lb, rb, parts) {
  if (match(c, / is not missing$/)) return !ismiss(val[substr(c, 1, RSTART - 1)])
  if (match(c, / is missing$/)) return ismiss(val[substr(c, 1, RSTART - 1)])
  if (match(c, / not in \{/)) {
    name = substr(c, 1, RSTART - 1); rest = substr(c, RSTART + RLENGTH); sub(/\}$/, "", rest)
    return !inset(val[name], rest)
  }
  if (match(c, / in \{/)) {
    name = substr(c, 1, RSTART - 1); rest = substr(c, RSTART + RLENGTH); sub(/\}$/, "", rest)
    return inset(val[name], rest)
  }
  if (match(c, / in [[(]/)) {
    name = substr(c, 1, RSTART - 1); lb = substr(c, RSTART + 4, 1)
    rest = substr(c, RSTART + RLENGTH); rb = substr(rest, length(rest), 1)
    rest = substr(rest, 1, length(rest) - 1); split(rest, parts, ", ")
    v = val[name]
    if (ismiss(v)) return 0
    v += 0
    return (lb == "(" ? v > parts[1] + 0 : v >= parts[1] + 0) && \
           (rb == "]" ? v <= parts[2] + 0 : v < parts[2] + 0)
  }
  if (match(c, / <= /)) { v = val[substr(c, 1, RSTART - 1)]; return !ismiss(v) && v + 0 <= substr(c, RSTART + 4) + 0 }
  if (match(c, / >= /)) { v = val[substr(c, 1, RSTART - 1)]; return !ismiss(v) && v + 0 >= substr(c, RSTART + 4) + 0 }
  if (match(c, / < /)) { v = val[substr(c, 1, RSTART - 1)]; return !ismiss(v) && v + 0 < substr(c, RSTART + 3) + 0 }
  if (match(c, / > /)) { v = val[substr(c, 1, RSTART - 1)]; return !ismiss(v) && v + 0 > substr(c, RSTART + 3) + 0 }
  if (match(c, / = /)) { return same(val[substr(c, 1, RSTART - 1)], substr(c, RSTART + 3)) }
  print "cannot read the condition: " c > "/dev/stderr"
  bad = 1
  return 0
}

function rulematches(r,    parts, n, k) {
  n = split(conds[r], parts, " and ")
  for (k = 1; k <= n; k++) if (!cond(parts[k])) return 0
  return 1
}

phase == 1 && FNR > 1 {
  splitcsv($0, f)
  target = f[2]; response = f[3]
  if (f[6] == "-") { restcover = f[8]; restresp = f[9]; next }
  nrules++; ids[nrules] = f[6]; conds[nrules] = f[7]; cover[nrules] = f[8]; resp[nrules] = f[9]
  next
}

phase == 2 && FNR == 1 {
  ncols = splitcsv($0, header)
  next
}

phase == 2 {
  n = splitcsv($0, f)
  for (k = 1; k <= ncols; k++) val[header[k]] = f[k]
  want = "remainder"; slot = 0
  for (r = 1; r <= nrules; r++) if (rulematches(r)) { want = "R1." ids[r]; slot = r; break }
  if (f[n - 2] != want) {
    print "row " FNR ": the program says " f[n - 2] ", the rules say " want > "/dev/stderr"
    bad = 1
  }
  got[slot]++
  if (val[target] == response) hits[slot]++
  rows++
}

END {
  if (rows == 0 || nrules == 0) { print "no rows or no rules to check" > "/dev/stderr"; exit 1 }
  for (r = 1; r <= nrules; r++) {
    if (got[r] + 0 != cover[r] + 0 || hits[r] + 0 != resp[r] + 0) {
      print "rule " ids[r] ": table says " cover[r] "/" resp[r] ", rows give " got[r] + 0 "/" hits[r] + 0 > "/dev/stderr"
      bad = 1
    }
  }
  if (got[0] + 0 != restcover + 0 || hits[0] + 0 != restresp + 0) {
    print "remainder: table says " restcover "/" restresp ", rows give " got[0] + 0 "/" hits[0] + 0 > "/dev/stderr"
    bad = 1
  }
  exit bad
}
