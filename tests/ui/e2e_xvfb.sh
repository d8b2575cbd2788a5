#!/usr/bin/env bash
# End to end: the real program on its own Xvfb display, driven with xdotool
# as a user would drive it. Usage: e2e_xvfb.sh OTTOMIX OTTOMIX-CLI [XCLOSE]
set -uo pipefail
APP=$(realpath "$1")
CLI=$(realpath "$2")
XCLOSE=${3:+$(realpath "$3")}

for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIPPED: $tool is not installed (scripts/setup.sh installs it)"
    exit 77
  fi
done

work=$(mktemp -d)
xvfb=""
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  [ -s "$work/stderr" ] && { echo "--- the program's standard error:"; tail -n 30 "$work/stderr"; }
  exit 1
}

# shellcheck source=../../scripts/x_display.sh
source "$(dirname "$0")/../../scripts/x_display.sh"
if start_xvfb "$work"; then
  xvfb=$XVFB_PID
  xdotool getdisplaygeometry >/dev/null 2>&1 || fail "Xvfb on $DISPLAY does not answer"
else
  echo "--- Xvfb said:"; cat "$work/xvfb.log"
  fail "no Xvfb display could be started"
fi

mkdir "$work/in" "$work/ref"
printf 'Hello, Ottomix!\nA line with CR LF.\r\nLast line.\n' > "$work/in/sample.txt"
cp "$work/in/sample.txt" "$work/ref/"

# Starts the program in $work/in and finds its main window.
start() {
  (cd "$work/in" && exec "$APP" >"$work/stdout" 2>"$work/stderr") &
  app=$!
  win=""
  for _ in $(seq 300); do
    win=$(xdotool search --name "^Ottomix V2.1b - Mirrowen Software$" 2>/dev/null | head -1)
    [ -n "$win" ] && break
    sleep 0.1
  done
  [ -n "$win" ] || fail "the main window did not appear"
  sleep 0.5  # lists are filled when the window is first shown
  eval "$(xdotool getwindowgeometry --shell "$win")"
  # The client area (500 x 306) lies under the menu bar.
  cx=$X
  cy=$((Y + HEIGHT - 306))
  [ "$WIDTH" -eq 500 ] || fail "window width $WIDTH, expected 500"
}
click() { xdotool mousemove $((cx + $1)) $((cy + $2)) click 1; sleep 0.3; }
# The first row of the file list (at 256,24, rows 13 pixels high).
click_first_file() { click 300 31; }
press_encrypt() { click 69 252; }
press_decrypt() { click 149 252; }
press_exit() { click 472 292; }
# The progress window's OK button, so it no longer covers the file list.
dismiss_progress() {
  local p
  p=$(xdotool search --name "^Working\.\.\.$" 2>/dev/null | head -1)
  [ -n "$p" ] || fail "the progress window did not appear"
  eval "$(xdotool getwindowgeometry --shell "$p")"
  xdotool mousemove $((X + 317)) $((Y + 116)) click 1
  sleep 0.3
}
# Waits (at most 30 s) for the program to end; sets status.
wait_end() {
  for _ in $(seq 300); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$app" 2>/dev/null && fail "$1: the program did not end"
  wait "$app"
  status=$?
  app=""
}
# Waits until $1 has the bytes of $2.
wait_same() {
  for _ in $(seq 300); do
    cmp -s "$1" "$2" && return 0
    sleep 0.1
  done
  fail "$(basename "$1") differs from ottomix-cli's output"
}

(cd "$work/ref" && "$CLI" encrypt --text sample.txt >/dev/null 2>&1 &&
  "$CLI" decrypt --text encrypt.txt >/dev/null 2>&1) || fail "ottomix-cli failed"

# 1. Encrypt, then Decrypt of the output, by clicks; close box: status 0.
start
click_first_file            # sample.txt, the only text file
press_encrypt
wait_same "$work/in/encrypt.txt" "$work/ref/encrypt.txt"
echo "encrypt.txt: $(wc -c <"$work/in/encrypt.txt") bytes, as ottomix-cli writes them"
dismiss_progress
click_first_file            # encrypt.txt now sorts first
press_decrypt
wait_same "$work/in/dencrypt.txt" "$work/ref/dencrypt.txt"
echo "dencrypt.txt: as ottomix-cli writes it"
if [ -n "$XCLOSE" ]; then
  "$XCLOSE" "$win" || fail "could not send the close request"
  wait_end "close box"
  [ "$status" -eq 0 ] || fail "close box: exit status $status, expected 0"
  echo "close box: exit status 0"
  expected="File $work/in/encrypt.txt text has been converted"$'\r\n'"Output is stored in file dencrypt.txt"$'\r\n'
  [ "$(cat "$work/stdout")" == "${expected%$'\n'}" ] ||
    fail "standard output: $(od -c "$work/stdout" | head -5)"
  echo "standard output: the two lines of a text-mode Decrypt"
else
  echo "note: no app_xclose helper, the close box is not tried"
  kill "$app"; wait "$app" 2>/dev/null; app=""
fi

# 2. Exit button: status 1 at once.
start
press_exit
wait_end "Exit button"
[ "$status" -eq 1 ] || fail "Exit button: exit status $status, expected 1"
echo "Exit button: exit status 1"
echo "PASS"
