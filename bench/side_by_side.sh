#!/usr/bin/env bash
# side_by_side.sh BUILD_DIR [WIDTH HEIGHT]: authors a 60 s PAL 16:9 title at 8 Mbit/s
# with AC-3 448 kbit/s (ffmpeg and dvdauthor, as the test fixtures do; chapters every
# 10 s), then plays it with this player (player_bench: the real DVD graph in a
# WIDTHxHEIGHT window, default 1024x576) and, where installed, VLC without interface,
# VLC with its Qt interface and mpv, all with X11 output and a silent sound output, on
# the X display in DISPLAY (Xvfb with a window manager: scripts/lib/display.sh).
# Three runs each; the table shows medians and our ratios against each peer.
# BUILD_DIR is a build configured with -DQDVD_BENCH=ON (player_bench built).
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 BUILD_DIR [WIDTH HEIGHT]" >&2; exit 2; }
build=$1 width=${2:-1024} height=${3:-576}
bench=$build/bench/player_bench
[ -x "$bench" ] || { echo "no $bench: configure with -DQDVD_BENCH=ON and build player_bench" >&2; exit 1; }
[ -n "${DISPLAY:-}" ] || { echo "no DISPLAY: run under Xvfb (scripts/lib/display.sh start_display)" >&2; exit 1; }
seconds=60 runs=${RUNS:-3}

disc=$build/bench/disc60
if [ ! -f "$disc/VIDEO_TS/VIDEO_TS.IFO" ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  ffmpeg -hide_banner -nostdin -loglevel error -y \
    -f lavfi -i "testsrc2=size=720x576:rate=25" -f lavfi -i "sine=frequency=440:sample_rate=48000" \
    -t $seconds -target pal-dvd -aspect 16:9 -b:v 8000k -maxrate 9000k -bufsize 1835k \
    -c:a ac3 -b:a 448k -ac 2 "$work/title.mpg"
  cat >"$work/dvd.xml" <<EOF
<dvdauthor><vmgm/><titleset><titles>
  <video format="pal" aspect="16:9" widescreen="nopanscan"/>
  <pgc><vob file="$work/title.mpg" chapters="0,0:10,0:20,0:30,0:40,0:50"/></pgc>
</titles></titleset></dvdauthor>
EOF
  rm -rf "$disc"
  VIDEO_FORMAT=PAL dvdauthor -o "$disc" -x "$work/dvd.xml" >/dev/null 2>&1
  VIDEO_FORMAT=PAL dvdauthor -o "$disc" -T >/dev/null 2>&1
fi

median() { sort -g | awk '{v[NR]=$1} END {print (NR ? v[int((NR+1)/2)] : "-")}'; }
field() { sed -nE "s/.*$1=([0-9.]+).*/\1/p"; }

# Ours: the bench prints its own figures.
ours_cpu=() ours_rss=() ours_before=() ours_first=() ours_chapter=()
for _ in $(seq $runs); do
  line=$("$bench" "$disc" "$width" "$height" $seconds 2>/dev/null | tail -1)
  ours_cpu+=("$(field cpu_per_content_s <<<"$line")")
  ours_rss+=("$(field peak_rss_mib <<<"$line")")
  ours_before+=("$(field rss_before_mib <<<"$line")")
  ours_first+=("$(field play_to_first_ms <<<"$line")")
  ours_chapter+=("$(field chapter_to_first_ms <<<"$line")")
done
m() { printf '%s\n' "$@" | median; }
cpu_q=$(m "${ours_cpu[@]}") rss_q=$(m "${ours_rss[@]}") before_q=$(m "${ours_before[@]}")
first_q=$(m "${ours_first[@]}") chapter_q=$(m "${ours_chapter[@]}")

# A peer under /usr/bin/time: CPU seconds per content second and peak RSS (MiB).
peer() { # name command...
  local name=$1; shift
  local cpus=() rsss=()
  for _ in $(seq $runs); do
    out=$( { /usr/bin/time -f "TIME %U %S %M" timeout $((seconds + 20)) "$@" >/dev/null 2>/dev/null; } 2>&1 | grep '^TIME' | tail -1 || true)
    [ -n "$out" ] || continue
    read -r _ u s k <<<"$out"
    cpus+=("$(awk -v u="$u" -v s="$s" -v c=$seconds 'BEGIN{printf "%.3f", (u+s)/c}')")
    rsss+=("$(awk -v k="$k" 'BEGIN{printf "%.1f", k/1024}')")
  done
  [ ${#cpus[@]} -gt 0 ] || return 0
  echo "$name|$(m "${cpus[@]}")|$(m "${rsss[@]}")"
}

peers=()
if command -v cvlc >/dev/null; then
  peers+=("$(peer "VLC, no interface" cvlc --intf dummy --vout xcb_x11 --aout dummy --no-video-title-show \
    --width "$width" --height "$height" --autoscale --stop-time $seconds --play-and-exit "dvdsimple://$disc")")
  peers+=("$(peer "VLC, Qt interface" vlc --intf qt --no-qt-privacy-ask --vout xcb_x11 --aout dummy \
    --no-video-title-show --width "$width" --height "$height" --stop-time $seconds --play-and-exit "dvdsimple://$disc")")
fi
if command -v mpv >/dev/null; then
  peers+=("$(peer "mpv" mpv --no-config --vo=x11 --ao=null --geometry="${width}x${height}" --length=$seconds \
    --dvd-device="$disc" dvd://)")
fi

echo "60 s PAL 16:9 title, 8 Mbit/s video, AC-3 448 kbit/s; picture ${width}x${height}; X11 output; medians of $runs"
echo
echo "| player | CPU s per content s | peak RSS MiB | first picture | next chapter to its picture |"
echo "|---|---|---|---|---|"
echo "| this player | $cpu_q | $rss_q ($before_q before Play) | $first_q ms from Play | $chapter_q ms |"
for p in "${peers[@]}"; do
  [ -n "$p" ] || continue
  IFS='|' read -r name cpu rss <<<"$p"
  echo "| $name | $cpu | $rss | - | - |"
done
echo
for p in "${peers[@]}"; do
  [ -n "$p" ] || continue
  IFS='|' read -r name cpu rss <<<"$p"
  awk -v n="$name" -v a="$cpu_q" -v b="$cpu" -v r="$rss_q" -v s="$rss" \
    'BEGIN{printf "ours / %s: CPU %.2fx, peak RSS %.2fx\n", n, a/b, r/s}'
done
