#!/bin/bash
# Fails when a text of the window program is missing from a translation or
# left unfinished, or when a translation drops one of its source's %n.
# Usage: translations_complete.sh LUPDATE SOURCE_DIR TS_FILE
set -euo pipefail
lupdate=$1 root=$2 ts=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$ts" "$work/check.ts"
# The same options as the ottomix_lupdate target.
"$lupdate" -silent -locations none -no-obsolete -extensions cpp,h -I "$root" \
  "$root/ui" "$root/widgets" -ts "$work/check.ts"

status=0
if ! diff -u "$ts" "$work/check.ts" >"$work/diff"; then
  echo "$(basename "$ts") is not what lupdate makes of the sources; build ottomix_lupdate and translate:"
  grep '^[-+] *<source>' "$work/diff" || cat "$work/diff"
  status=1
fi
unfinished=$(grep -c 'type="unfinished"' "$work/check.ts" || true)
if [ "$unfinished" -gt 0 ]; then
  echo "$unfinished texts have no finished translation:"
  grep -B2 'type="unfinished"' "$work/check.ts" | grep '<source>' || true
  status=1
fi
# Each message's source and translation hold the same placeholders.
awk '
  /<source>/ { src = $0; while (src !~ /<\/source>/ && (getline line) > 0) src = src "\n" line }
  /<translation/ {
    tr = $0; while (tr !~ /<\/translation>/ && (getline line) > 0) tr = tr "\n" line
    if (marks(src) != marks(tr)) { print "placeholders differ: " src; bad = 1 }
  }
  function marks(text,   out, d) {
    out = ""
    for (d = 1; d <= 9; d++) if (index(text, "%" d)) out = out d
    return out
  }
  END { exit bad }
' "$work/check.ts" || status=1
messages=$(grep -c '<message>' "$work/check.ts")
[ "$status" -eq 0 ] && echo "$messages texts, all translated"
exit "$status"
