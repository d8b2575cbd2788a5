#!/usr/bin/env bash
# The program's windows under a real window manager (openbox on its own Xvfb
# display): none can be maximised, by request, by the title bar or as an
# offered action; the main and About windows appear centred frame and all,
# the progress window with its frame's corner at 227,193.
# Usage: window_manager_test.sh WINDOW_MANAGER_HOST [SCREENSHOT_DIR]
# With SCREENSHOT_DIR, each window is saved there with its frame as NAME.png.
set -uo pipefail
HOST=$(realpath "$1")
SHOTS=${2:-}

for tool in Xvfb openbox xprop xwininfo xdotool wmctrl; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIPPED: $tool is not installed (scripts/setup.sh installs it)"
    exit 77
  fi
done

work=$(mktemp -d)
xvfb=""
wm=""
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null && wait "$app" 2>/dev/null
  [ -n "$wm" ] && kill "$wm" 2>/dev/null && wait "$wm" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() {
  echo "FAIL: $*"
  [ -s "$work/stderr" ] && { echo "--- the program's standard error:"; tail -n 20 "$work/stderr"; }
  failures=$((failures + 1))
}
fatal() {
  echo "FAIL: $*"
  for log in stderr openbox.log; do
    [ -s "$work/$log" ] && { echo "--- $log:"; tail -n 20 "$work/$log"; }
  done
  exit 1
}

# shellcheck source=../../scripts/x_display.sh
source "$(dirname "$0")/../../scripts/x_display.sh"
start_xvfb "$work" || { cat "$work/xvfb.log"; fatal "no Xvfb display could be started"; }
xvfb=$XVFB_PID
start_openbox "$work" || fatal "openbox did not start"
wm=$WM_PID
read -r screen_w screen_h < <(xdotool getdisplaygeometry)

mkdir "$work/files"
printf 'Some text.\n' >"$work/files/sample.txt"

# Starts the host with window $1 up; sets win to its X window id.
start() {
  (cd "$work/files" && exec "$HOST" "$1" >"$work/stdout" 2>"$work/stderr") &
  app=$!
  win=""
  for _ in $(seq 300); do
    win=$(head -n 1 "$work/stdout" 2>/dev/null)
    [ -n "$win" ] && break
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$win" ] || fatal "$1: the window did not appear"
}
stop() {
  kill "$app" 2>/dev/null
  wait "$app" 2>/dev/null
  app=""
}

# The frame as the window manager drew it: fx fy fw fh (and the client's cx cy cw ch).
frame() {
  local extents
  extents=$(xprop -id "$win" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ' ')
  [ -n "$extents" ] || { fx=""; return 1; }
  IFS=, read -r left right top bottom <<<"$extents"
  eval "$(xwininfo -id "$win" | awk -F: '
    /Absolute upper-left X/ {print "cx=" $2+0}
    /Absolute upper-left Y/ {print "cy=" $2+0}
    /^ *Width/ {print "cw=" $2+0}
    /^ *Height/ {print "ch=" $2+0}')"
  fx=$((cx - left)); fy=$((cy - top))
  fw=$((cw + left + right)); fh=$((ch + top + bottom))
}
near() { local d=$(($1 - $2)); [ "${d#-}" -le 2 ]; }

# Waits (at most 5 s) for the frame's corner to reach $1,$2 (a `centre`
# argument stands for centred); reports where it is.
expect_corner() {
  local name=$1 want_x=$2 want_y=$3 x y
  for _ in $(seq 50); do
    if frame; then
      x=$want_x; y=$want_y
      [ "$x" = centre ] && x=$(((screen_w - fw) / 2))
      [ "$y" = centre ] && y=$(((screen_h - fh) / 2))
      near "$fx" "$x" && near "$fy" "$y" && {
        echo "$name: frame ${fw}x${fh} at $fx,$fy"
        return 0
      }
    fi
    sleep 0.1
  done
  [ -n "$fx" ] || { fail "$name: the window manager gave it no frame"; return 1; }
  fail "$name: frame ${fw}x${fh} at $fx,$fy, expected at $x,$y"
}

# Not maximisable: not among the allowed actions, not on request, not by a
# double click on the title bar (openbox's binding for maximise); still
# minimisable and closable where it has those buttons.
expect_fixed() {
  local name=$1 keeps=$2 actions before after state failed=$failures
  actions=$(xprop -id "$win" _NET_WM_ALLOWED_ACTIONS)
  case "$actions" in
    *MAXIMIZE_HORZ* | *MAXIMIZE_VERT*) fail "$name: offers maximise: $actions" ;;
  esac
  case "$actions" in
    *_NET_WM_ACTION_RESIZE*) fail "$name: offers resizing: $actions" ;;
  esac
  for action in $keeps; do
    case "$actions" in
      *"_NET_WM_ACTION_$action"*) ;;
      *) fail "$name: does not offer $action: $actions" ;;
    esac
  done
  frame
  before="$fx $fy $fw $fh"
  wmctrl -i -r "$win" -b add,maximized_vert,maximized_horz
  sleep 0.5
  xdotool mousemove $((fx + fw / 2)) $((fy + 5)) click --repeat 2 --delay 100 1
  sleep 0.5
  frame
  after="$fx $fy $fw $fh"
  state=$(xprop -id "$win" _NET_WM_STATE)
  case "$state" in
    *MAXIMIZED*) fail "$name: maximised: $state" ;;
  esac
  [ "$before" = "$after" ] || fail "$name: frame changed from $before to $after"
  [ "$failures" -eq "$failed" ] && echo "$name: not maximisable, frame stays ${fw}x${fh}"
}

shot() {
  [ -n "$SHOTS" ] || return 0
  frame && import -window root -crop "${fw}x${fh}+${fx}+${fy}" +repage "$SHOTS/$1.png"
}

start main
expect_corner "main window" centre centre
shot main
expect_fixed "main window" "MINIMIZE CLOSE"
stop

start about
expect_corner "About window" centre centre
shot about
expect_fixed "About window" "CLOSE"
stop

start progress
expect_corner "progress window" 227 193
shot progress
expect_fixed "progress window" "MINIMIZE CLOSE"
stop

start properties
frame || fail "link properties: the window manager gave it no frame"
shot properties
expect_fixed "link properties" "CLOSE"
stop

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "PASS"
