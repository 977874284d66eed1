#!/usr/bin/env bash
# Layering check: the include graph between the library's folders points one way.
#   foundation < variables < data < model < search < pmml < facade
# A file in src/<folder>/ or include/ruleweave/<folder>/ includes only headers of its own or a
# lower layer (public or private); a public header includes only public headers. Programs
# (tools/, examples/, python/) include only public <ruleweave/...> headers; tools/ruleweave/ and
# python/src/ also their own headers (by a path inside them that names no library folder).
# Prints each offending line; exits 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

layers="foundation variables data model search pmml facade"

git ls-files src include tools examples python | grep -E '\.(h|cc)$' | xargs -r grep -Hn \
  -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][^">]*[">]' |
  awk -v layers="$layers" '
    BEGIN { n = split(layers, names, " "); for (i = 1; i <= n; i++) rank[names[i]] = i }
    {
      file = $0; sub(/:.*/, "", file)
      inc = $0; sub(/^[^"<]*["<]/, "", inc); sub(/[">].*/, "", inc)
      quoted = ($0 ~ /include[[:space:]]*"/)
      bad = ""
      if (file ~ /^(src|include\/ruleweave)\//) {
        split(file, p, "/"); own = (p[1] == "src") ? p[2] : p[3]
        if (!(own in rank)) { if (file != "include/ruleweave/ruleweave.h") bad = "file outside every layer" }
        else if (quoted || inc ~ /^ruleweave\//) {
          public = (inc ~ /^ruleweave\//)
          split(inc, q, "/"); target = public ? q[2] : q[1]
          if (file ~ /^include\// && !public) bad = "public header includes a private header"
          else if (!(target in rank)) bad = "unknown folder " target
          else if (rank[target] > rank[own]) bad = "includes higher layer " target " from " own
        }
      } else if (quoted && inc !~ /^ruleweave\//) {
        split(inc, q, "/")
        local = file ~ /^(tools\/ruleweave|python\/src)\// && !(q[1] in rank) && inc !~ /\.\./
        if (!local) bad = "program includes a private header"
      } else if (!quoted && inc ~ /^(foundation|variables|data|model|search|pmml|facade)\//) {
        bad = "program includes a private header"
      }
      if (bad != "") { print $0 "  <- " bad; failed = 1 }
    }
    END { exit failed }' && echo "layering: ok"
