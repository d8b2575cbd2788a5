#!/usr/bin/env bash
# Takes the README's picture: the main window as a desktop shows it, title bar
# and frame included, under openbox on a display of its own (Xvfb), browsing
# a small folder of letters with one selected.
# Usage: scripts/screenshot.sh [BUILD_DIR] [OUTPUT.png]   (build, docs/main-window.png)
set -euo pipefail
BUILD=${1:-build}
OUT=${2:-docs/main-window.png}
APP=$(realpath "$BUILD/ui/ottomix")
for tool in Xvfb openbox xdotool xprop xwininfo import; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "$0")/x_display.sh"
start_xvfb "$work" || { echo "Xvfb did not start" >&2; exit 1; }
pids+=("$XVFB_PID")
start_openbox "$work" || { echo "openbox did not start" >&2; exit 1; }
pids+=("$WM_PID")

# The folder's path shows in the browser: a plain one rather than a random name.
docs=/tmp/Documents
[ ! -e "$docs" ] || { echo "$docs is in the way; the picture browses a folder of that name" >&2; exit 1; }
trap 'cleanup; rm -rf "$docs"' EXIT
mkdir -p "$docs/Letters" "$docs/Photos" "$docs/Recipes"
printf 'Ideas for the garden.\n' >"$docs/ideas.txt"
printf 'Dear Anna,\nthe plums were sweet this year.\n' >"$docs/letter-to-anna.txt"
printf 'Meeting on Monday.\n' >"$docs/meeting-notes.txt"
printf 'Apples, bread, tea.\n' >"$docs/shopping-list.txt"

(cd "$docs" && exec "$APP" >/dev/null 2>&1) &
pids+=($!)
win=""
for _ in $(seq 100); do
  win=$(xdotool search --name "^Ottomix V2.1b - Mirrowen Software$" 2>/dev/null | head -1) && [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { echo "the main window did not appear" >&2; exit 1; }
sleep 1
geometry() {
  eval "$(xwininfo -id "$win" | awk -F: '
    /Absolute upper-left X/ {print "cx=" $2+0}
    /Absolute upper-left Y/ {print "cy=" $2+0}
    /^ *Width/ {print "cw=" $2+0}
    /^ *Height/ {print "ch=" $2+0}')"
}
geometry
# The second row of the file list: the list sits at 256,24 in the 500 x 306
# client area under the menu bar, its rows 13 pixels high; all of it times
# QT_SCALE_FACTOR when that is set (a whole number).
f=${QT_SCALE_FACTOR:-1}
xdotool mousemove $((cx + 300 * f)) $((cy + ch - (306 - 24 - 13 - 6) * f)) click 1
xdotool mousemove 0 0
sleep 0.5

IFS=, read -r left right top bottom < <(xprop -id "$win" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ' ')
geometry
import -window root -crop "$((cw + left + right))x$((ch + top + bottom))+$((cx - left))+$((cy - top))" \
  +repage -strip "$OUT"
echo "$OUT: $(identify -format '%wx%h' "$OUT")"
