# Starts Xvfb (1280 x 1024) with the openbox window manager and exports DISPLAY.
# Sourced by the test and run scripts.
QDVD_XVFB_PID=""
QDVD_WM_PID=""

start_display() {
  export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/qdvd-runtime.XXXXXX)}
  chmod 700 "$XDG_RUNTIME_DIR"
  local fdfile
  fdfile=$(mktemp /tmp/qdvd-display.XXXXXX)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" 2>/dev/null &
  QDVD_XVFB_PID=$!
  for _ in $(seq 100); do
    [[ -s "$fdfile" ]] && break
    sleep 0.05
  done
  if [[ ! -s "$fdfile" ]]; then
    echo "display: Xvfb did not start; tests that need a display will fail (skip, outside the test command)" >&2
    return 0
  fi
  export DISPLAY=":$(head -n1 "$fdfile")"
  rm -f "$fdfile"
  openbox >/dev/null 2>&1 &
  QDVD_WM_PID=$!
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
  done
}

stop_display() {
  [[ -n "$QDVD_WM_PID" ]] && kill "$QDVD_WM_PID" 2>/dev/null || true
  [[ -n "$QDVD_XVFB_PID" ]] && kill "$QDVD_XVFB_PID" 2>/dev/null || true
}
