# Sourced by the scripts that need a display of their own: Xvfb on a free
# display number, and optionally openbox on it.

# Starts Xvfb; once it accepts connections exports DISPLAY and sets XVFB_PID.
# Xvfb picks a free number itself and writes it to a file, so parallel runs
# never collide. -noreset: by default the server resets when its last client
# leaves, and a program connecting just then (after a probe) is refused.
# Usage: start_xvfb WORK_DIR; returns 1 (with WORK_DIR/xvfb.log) when it fails.
start_xvfb() {
  local work=$1
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null \
    2>"$work/xvfb.log" 3>"$work/display" &
  XVFB_PID=$!
  for _ in $(seq 300); do
    [ -s "$work/display" ] && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$work/display" ]; then
    XVFB_PID=""
    return 1
  fi
  export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
  export XDG_RUNTIME_DIR="$work/runtime"
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
  export QT_QPA_PLATFORM=xcb
}

# Starts openbox with its stock settings and sets WM_PID once it manages
# windows (it runs its start-up command only then, so nothing is mapped
# behind its back). Usage: start_openbox WORK_DIR; returns 1 when it fails.
start_openbox() {
  local work=$1
  export XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
  openbox --sm-disable --startup "touch $work/wm-ready" >"$work/openbox.log" 2>&1 &
  WM_PID=$!
  for _ in $(seq 300); do
    [ -e "$work/wm-ready" ] && return 0
    kill -0 "$WM_PID" 2>/dev/null || break
    sleep 0.1
  done
  WM_PID=""
  return 1
}
