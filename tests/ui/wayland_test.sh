#!/usr/bin/env bash
# The program as a native Wayland client, on a headless weston: the About
# window and a job's progress window come up as windows that belong to the
# main window (xdg_toplevel.set_parent), the real program starts and runs,
# and Qt writes no warning on the way.
# Usage: wayland_test.sh OTTOMIX WINDOW_MANAGER_HOST
set -uo pipefail
APP=$(realpath "$1")
HOST=$(realpath "$2")

if ! command -v weston >/dev/null 2>&1; then
  echo "SKIPPED: weston is not installed (scripts/setup.sh installs it)"
  exit 77
fi
plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null)
if [ -z "$plugins" ] || ! ls "$plugins"/platforms/libqwayland-*.so >/dev/null 2>&1; then
  echo "SKIPPED: Qt's Wayland platform plugin is not installed (qt6-wayland; scripts/setup.sh)"
  exit 77
fi

work=$(mktemp -d)
weston=""
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null && wait "$app" 2>/dev/null
  [ -n "$weston" ] && kill "$weston" 2>/dev/null && wait "$weston" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
fatal() {
  echo "FAIL: $*"
  for log in weston.log stderr; do
    [ -s "$work/$log" ] && { echo "--- $log:"; grep -v '^\[' "$work/$log" | tail -n 20; }
  done
  exit 1
}

# Nothing of the caller's desktop leaks in: a private runtime directory, no
# X display, no session bus.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY DBUS_SESSION_BUS_ADDRESS
socket="ottomix-test-$$"
weston --backend=headless-backend.so --socket="$socket" --idle-time=0 \
  >"$work/weston.log" 2>&1 &
weston=$!
for _ in $(seq 100); do
  [ -S "$XDG_RUNTIME_DIR/$socket" ] && break
  kill -0 "$weston" 2>/dev/null || break
  sleep 0.1
done
[ -S "$XDG_RUNTIME_DIR/$socket" ] || fatal "weston did not start"
export WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland

mkdir "$work/files"
printf 'Some text.\n' >"$work/files/sample.txt"

# Qt's complaints; the lines of WAYLAND_DEBUG's protocol trace start with "[".
warnings() {
  grep -v '^\[' "$1" | grep -E '^qt\.|Warning|QWayland|warning' || true
}

# Runs the host with window $1 up, protocol traced, until it reports the
# window; checks it belongs to the main window.
expect_transient() {
  local which=$1 report="" said
  (cd "$work/files" && WAYLAND_DEBUG=client exec "$HOST" "$which" \
    >"$work/stdout" 2>"$work/stderr") &
  app=$!
  for _ in $(seq 200); do
    report=$(sed -n 2p "$work/stdout" 2>/dev/null)
    [ -n "$report" ] && break
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
  done
  # A job's output is installed when the job ends, which a busy machine delays.
  if [ "$which" = job ]; then
    for _ in $(seq 200); do
      [ -e "$work/files/encrypt.txt" ] && break
      sleep 0.1
    done
  fi
  kill "$app" 2>/dev/null
  wait "$app" 2>/dev/null
  app=""
  [ -n "$report" ] || { fatal "$which: the window did not appear"; }
  [ "$report" = "transient-for main" ] ||
    fail "$which: Qt reports $report, expected transient-for main"
  # The compositor learns it too: one toplevel is given another as parent.
  grep -Eq 'xdg_toplevel@[0-9]+\.set_parent\(xdg_toplevel@[0-9]+\)' "$work/stderr" ||
    fail "$which: no xdg_toplevel.set_parent with a parent was sent"
  said=$(warnings "$work/stderr")
  [ -z "$said" ] || fail "$which: Qt warned: $said"
  [ "$failures" -eq 0 ] && echo "$which: a window of its own, transient for the main window"
}

expect_transient about
expect_transient job
[ -e "$work/files/encrypt.txt" ] || fail "job: Encrypt wrote no encrypt.txt"

# The real program: its main window is mapped (its title sent), and it runs
# on for a second without a warning.
(cd "$work/files" && WAYLAND_DEBUG=client exec "$APP" >"$work/stdout" 2>"$work/stderr") &
app=$!
for _ in $(seq 200); do
  grep -q 'set_title("Ottomix V2.1b - Mirrowen Software")' "$work/stderr" && break
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
grep -q 'set_title("Ottomix V2.1b - Mirrowen Software")' "$work/stderr" ||
  fatal "ottomix: the main window was not mapped"
sleep 1
kill -0 "$app" 2>/dev/null || fatal "ottomix ended by itself"
kill "$app"
wait "$app" 2>/dev/null
app=""
said=$(warnings "$work/stderr")
[ -z "$said" ] || fail "ottomix: Qt warned: $said"
[ "$failures" -eq 0 ] && echo "ottomix: runs as a Wayland client without a warning"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "PASS"
