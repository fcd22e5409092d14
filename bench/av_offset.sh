#!/usr/bin/env bash
# av_offset.sh BUILD_DIR [DISCS_DIR]: how far the sound is from the picture, measured as a
# viewer would, outside the player: the beep disc (a white picture and a 1 kHz beep at
# the start of every second) played on a private display and a private sound server
# with a null sink, the picture read off the X server and the sink's monitor recorded
# (av_offset). Played by this platform's DVD graph (av_play) and, when installed, by
# mpv on the same VOB, through the same server and the same capture. RUNS sets how
# many times each plays (default 3). BUILD_DIR is configured with -DQDVD_BENCH=ON and
# has av_offset and av_play built; DISCS_DIR defaults to BUILD_DIR/../discs.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(readlink -f "$1")
discs=$(readlink -f "${2:-$build/../discs}")
runs=${RUNS:-3}
disc="$discs/beep"
[[ -f "$disc/VIDEO_TS/VTS_01_1.VOB" ]] || "$top/tests/fixtures/make_discs.sh" "$discs"
for tool in av_offset av_play; do
  [[ -x "$build/bench/$tool" ]] || { echo "av_offset.sh: $build/bench/$tool is not built" >&2; exit 1; }
done
source "$top/scripts/lib/display.sh"
source "$top/scripts/lib/sound.sh"
start_display
start_sound_server
[[ -n "${PULSE_SERVER:-}" ]] || { echo "av_offset.sh: no sound server" >&2; exit 1; }
out=$(mktemp -d /tmp/av_offset.XXXXXX)
trap 'stop_sound_server; stop_display; rm -rf "$out"' EXIT
unset SDL_AUDIODRIVER

measure() {  # name command...
  local name=$1; shift
  local i
  for ((i = 1; i <= runs; i++)); do
    "$build/bench/av_offset" 13 >"$out/probe.txt" &
    local probe=$!
    "$@" >"$out/player.txt" 2>&1 &
    local player=$!
    wait "$probe" || true
    kill "$player" 2>/dev/null || true
    wait "$player" 2>/dev/null || true
    echo "== $name, run $i"
    cat "$out/probe.txt"
    grep '^median' "$out/probe.txt" | sed "s|^|$name, run $i\t|" >>"$out/medians.txt" || true
    head -n1 "$out/probe.txt" | tr ' ' '\n' | grep . >>"$out/all-$runs-$(echo "$name" | tr -c 'a-z' _).txt" || true
  done
  # Every beep of every run.
  local all="$out/all-$runs-$(echo "$name" | tr -c 'a-z' _).txt"
  if [[ -s "$all" ]]; then
    sort -g "$all" | awk -v name="$name" '{v[NR] = $1} END {
      m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
      printf "%s, all runs\tmedian %+.1f ms (%+.1f to %+.1f), %d beeps\n", name, m, v[1], v[NR], NR }' >>"$out/medians.txt"
  fi
}

measure "this player (DVD graph)" "$build/bench/av_play" "$disc"
if command -v mpv >/dev/null 2>&1; then
  measure "mpv --ao=pulse" mpv --ao=pulse --vo=x11 --no-border --geometry=720x576+0+0 --no-config \
    --really-quiet "$disc/VIDEO_TS/VTS_01_1.VOB"
fi
echo "== summary (beep minus its white picture; positive: the beep comes later)"
cat "$out/medians.txt"
