#!/usr/bin/env bash
# The real program as a screen reader meets it: on its own Xvfb display and
# private D-Bus session with the AT-SPI bus, driven by atspi_test.py through
# AT-SPI alone. Usage: atspi_test.sh OTTOMIX
set -uo pipefail
APP=$(realpath "$1")
HERE=$(cd "$(dirname "$0")" && pwd)
PYTHON=/usr/bin/python3

for tool in Xvfb dbus-run-session dbus-send /usr/libexec/at-spi-bus-launcher; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIPPED: $tool is not installed (scripts/setup.sh installs it)"
    exit 77
  fi
done
if ! "$PYTHON" -c 'import pyatspi' 2>/dev/null; then
  echo "SKIPPED: $PYTHON has no pyatspi (python3-pyatspi; scripts/setup.sh installs it)"
  exit 77
fi

# Inside the private session: the AT-SPI bus, the program, the client.
if [ -z "${OTTOMIX_ATSPI_SESSION:-}" ]; then
  work=$(mktemp -d)
  xvfb=""
  cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$work"
  }
  trap cleanup EXIT
  # shellcheck source=../../scripts/x_display.sh
  source "$HERE/../../scripts/x_display.sh"
  if ! start_xvfb "$work"; then
    echo "--- Xvfb said:"; cat "$work/xvfb.log"
    echo "FAIL: no Xvfb display could be started"
    exit 1
  fi
  xvfb=$XVFB_PID
  OTTOMIX_ATSPI_SESSION=1 WORK="$work" timeout -k 5 50 \
    dbus-run-session -- bash "$0" "$APP"
  status=$?
  [ "$status" -eq 124 ] && echo "FAIL: the test did not end within 50 s"
  exit "$status"
fi

app=""
cleanup_session() {
  [ -n "$app" ] && kill "$app" 2>/dev/null && wait "$app" 2>/dev/null
}
trap cleanup_session EXIT
fail() {
  echo "FAIL: $*"
  [ -s "$WORK/stderr" ] && { echo "--- the program's standard error:"; tail -n 30 "$WORK/stderr"; }
  exit 1
}

# The session bus starts the accessibility bus (at-spi-bus-launcher) when
# it is first asked for its address, and that bus starts the registry; the
# bus ends with the session.
a11y_bus=""
for _ in $(seq 100); do
  a11y_bus=$(dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
    org.a11y.Bus.GetAddress 2>/dev/null) && break
  sleep 0.1
done
[ -n "$a11y_bus" ] || fail "the AT-SPI bus did not start"

mkdir "$WORK/files"
printf 'Some text.\n' >"$WORK/files/sample.txt"
printf '\000\177\377' >"$WORK/files/data.bin"
(cd "$WORK/files" && QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 \
  exec "$APP" >"$WORK/stdout" 2>"$WORK/stderr") &
app=$!

"$PYTHON" "$HERE/atspi_test.py" "$WORK/files" || fail "the AT-SPI client found a fault"
kill -0 "$app" 2>/dev/null || fail "the program ended during the test"
