#!/usr/bin/env bash
# Checks the page of `ruleweave search --report` in a real browser: headless Chromium renders it,
# and the rendered page must hold the data summary and the rules, and its three charts must be
# drawn (their lines have a nonzero size once laid out). The page must fetch nothing. Exits 77
# (skipped) when Chromium is not installed.
# Usage: html_report_check.sh PATH/TO/ruleweave WORK_DIR
set -u
RW=$1
WORK=$2
BROWSER=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$BROWSER" ]; then
  echo "SKIPPED: chromium is not installed; the HTML report was not checked in a browser"
  exit 77
fi
rm -rf "$WORK"
mkdir -p "$WORK"
cd "$WORK" || exit 1
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# North and older than 45 always buys, east with an income of 80 or more buys; else one in ten.
awk 'BEGIN {
  split("north south east west", r, " ")
  print "age,region,income,bought"
  for (i = 0; i < 400; i++) {
    age = 20 + (i * 7) % 51; reg = r[(i * 3) % 4 + 1]; inc = (i * 13) % 100
    buy = (reg == "north" && age > 45) || (reg == "east" && inc >= 80) || i % 10 == 0
    printf "%d,%s,%s,%s\n", age, reg, (i % 25 == 7 ? "?" : inc), (buy ? "yes" : "no")
  }
}' >data.csv
"$RW" search data.csv --target bought --response yes --bins 10 --list-depth 2 --report report.html \
  --format csv --quiet >search.csv 2>search.err || { fail "search: $(head -3 search.err)"; exit 1; }

# Self-contained: no scripts, style sheets, images or fonts to fetch (the SVG namespace is a name,
# not a link).
grep -nE '<script|<link|<img|src=|href=|url\(|@import' report.html && fail "the page refers to other resources"
grep -o 'http[^"]*' report.html | grep -v '^http://www.w3.org/2000/svg$' && fail "the page holds a link"

# A copy with a probe that writes each chart's size, and that of what it drew, into the page.
sed 's|</body>|<pre id="probe"></pre><script>\
var lines = [];\
document.querySelectorAll("svg").forEach(function (svg) {\
  var box = svg.getBoundingClientRect();\
  var drawn = svg.querySelector("path.model, circle.dot");\
  var b = drawn ? drawn.getBBox() : {width: 0, height: 0};\
  lines.push(svg.id + " " + Math.round(box.width) + "x" + Math.round(box.height) + " drawn " +\
             Math.round(b.width) + "x" + Math.round(b.height) + " marks " +\
             svg.querySelectorAll("path, circle").length);\
});\
document.getElementById("probe").textContent = lines.join("\\n");\
</script></body>|' report.html >probe.html
timeout 120 "$BROWSER" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$WORK/profile" --dump-dom "file://$WORK/probe.html" >dom.html 2>browser.err ||
  fail "chromium could not render the page: $(grep -v dbus browser.err | head -3)"
timeout 120 "$BROWSER" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$WORK/profile" --window-size=1000,2400 --screenshot="$WORK/report.png" \
  "file://$WORK/report.html" >/dev/null 2>&1 || fail "chromium could not take a screenshot"

# The text: the data summary, every rule of the model (as the CSV names them) and the charts.
for text in "data.csv: 400 rows, 4 columns" "Cumulative gains" "Lift" "Rates and intervals" \
  "remainder"; do
  grep -qF "$text" dom.html || fail "the rendered page lacks: $text"
done
awk -F'"' 'NR > 1 && $1 ~ /^1,/ { print $2 }' search.csv >rules.txt
[ -s rules.txt ] || fail "the search gave no rules"
while IFS= read -r rule; do
  grep -qF "$rule" dom.html || fail "the rendered page lacks the rule: $rule"
done <rules.txt
# Each chart is laid out and what it drew has a size.
for chart in gains-chart lift-chart interval-chart; do
  line=$(grep -o "$chart [0-9]*x[0-9]* drawn [0-9]*x[0-9]* marks [0-9]*" dom.html)
  echo "$line" | awk '{ split($2, s, "x"); split($4, d, "x")
      exit !(s[1] > 100 && s[2] > 100 && d[1] > 0 && d[2] > 0 && $6 > 0) }' ||
    fail "$chart is not drawn: ${line:-no probe line}"
done
[ -s report.png ] || fail "no screenshot"

if [ "$failures" -ne 0 ]; then
  echo "$failures HTML report check(s) failed"
  exit 1
fi
echo "the HTML report renders in $("$BROWSER" --version 2>/dev/null | head -1) with its text and charts"
