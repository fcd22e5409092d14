# Starts a private PulseAudio server with one null sink "qdvd" (48 kHz float stereo)
# in its own runtime directory and exports PULSE_SERVER, so that nothing reaches the
# desktop's server and no sound card is needed (root works too). Sourced by the test
# script and the sound benchmarks; the sink's monitor is "qdvd.monitor".
QDVD_PULSE_PID=""
QDVD_PULSE_DIR=""

start_sound_server() {
  command -v pulseaudio >/dev/null 2>&1 || { echo "sound: no pulseaudio; tests that listen will be skipped" >&2; return 0; }
  QDVD_PULSE_DIR=$(mktemp -d /tmp/qdvd-pulse.XXXXXX)
  HOME="$QDVD_PULSE_DIR" XDG_RUNTIME_DIR="$QDVD_PULSE_DIR" XDG_CONFIG_HOME="$QDVD_PULSE_DIR" \
    DBUS_SESSION_BUS_ADDRESS="" DISPLAY="" \
    pulseaudio --daemonize=no --exit-idle-time=-1 -n --use-pid-file=no --enable-memfd=no --log-level=error \
      -L "module-null-sink sink_name=qdvd rate=48000 format=float32le channels=2" \
      -L "module-native-protocol-unix auth-anonymous=1 socket=$QDVD_PULSE_DIR/native" \
      >"$QDVD_PULSE_DIR/log" 2>&1 &
  QDVD_PULSE_PID=$!
  export PULSE_SERVER="unix:$QDVD_PULSE_DIR/native"
  for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  echo "sound: the private server did not start (see $QDVD_PULSE_DIR/log)" >&2
}

stop_sound_server() {
  [[ -n "$QDVD_PULSE_PID" ]] && kill "$QDVD_PULSE_PID" 2>/dev/null && wait "$QDVD_PULSE_PID" 2>/dev/null
  [[ -n "$QDVD_PULSE_DIR" ]] && rm -rf "$QDVD_PULSE_DIR"
  QDVD_PULSE_PID=""
  QDVD_PULSE_DIR=""
}
