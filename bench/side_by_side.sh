#!/usr/bin/env bash
# side_by_side.sh BUILD_DIR [WIDTH HEIGHT]: authors a 60 s PAL 16:9 title at 8 Mbit/s
# with AC-3 448 kbit/s (bench_disc.sh: chapters every 10 s; rows 0..15 of every picture
# carry its frame number as the test discs' frame code), then plays it with this
# player (player_bench: the real DVD graph in a WIDTHxHEIGHT window, default
# 1024x576; launch_bench: the program's start-up to a usable panel) and, where
# installed, VLC without interface, VLC with its Qt interface and mpv, all with X11
# output and a silent sound output, on the X display in DISPLAY (Xvfb with a window
# manager: scripts/lib/display.sh). VLC refuses to run as root, so it runs as nobody
# then. RUNS runs each (default 3); the table shows medians and our ratios against
# each peer. The peers' first picture is read from their own logs (VLC: its decoder's
# first picture, stamped as the line arrives; mpv: "first video frame shown", on its
# own clock from its start).
# PEERS=0 leaves the other players out; PLAY_SECONDS plays less than the whole title.
# BUILD_DIR is a build configured with -DQDVD_BENCH=ON (player_bench and launch_bench built).
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 BUILD_DIR [WIDTH HEIGHT]" >&2; exit 2; }
build=$(cd "$1" && pwd) width=${2:-1024} height=${3:-576}
bench=$build/bench/player_bench launch=$build/bench/launch_bench
for b in "$bench" "$launch"; do
  [ -x "$b" ] || { echo "no $b: configure with -DQDVD_BENCH=ON and build player_bench launch_bench" >&2; exit 1; }
done
[ -n "${DISPLAY:-}" ] || { echo "no DISPLAY: run under Xvfb (scripts/lib/display.sh start_display)" >&2; exit 1; }
seconds=60 runs=${RUNS:-3} chapter_frames=250 play=${PLAY_SECONDS:-60}
work=$(mktemp -d)
chmod 755 "$work"
trap 'rm -rf "$work"' EXIT

disc=$("$(dirname "$0")/bench_disc.sh" "$build" progressive)

median() { sort -g | awk '{v[NR]=$1} END {print (NR ? v[int((NR+1)/2)] : "-")}'; }
field() { sed -nE "s/.*$1=([0-9.]+).*/\1/p"; }

# Ours: the bench prints its own figures.
ours_cpu=() ours_rss=() ours_before=() ours_first=() ours_second=() ours_chapter=() ours_av=() ours_avjump=() ours_panel=()
for _ in $(seq $runs); do
  line=$("$bench" "$disc" "$width" "$height" $play $chapter_frames 2>/dev/null | tail -1)
  ours_cpu+=("$(field cpu_per_content_s <<<"$line")")
  ours_rss+=("$(field peak_rss_mib <<<"$line")")
  ours_before+=("$(field rss_before_mib <<<"$line")")
  ours_first+=("$(field play_to_first_ms <<<"$line")")
  ours_second+=("$(field play_to_second_ms <<<"$line")")
  ours_chapter+=("$(field chapter_to_first_ms <<<"$line")")
  ours_av+=("$(field av_steady_ms <<<"$line")")
  ours_avjump+=("$(field av_jump_ms <<<"$line")")
  # Launch to a usable panel, with the disc in the "drive" and a fresh home.
  mkdir -p "$work/home"
  line=$(HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share \
    DVD_DEVICE=$disc QDVD_LAUNCH_NS=$(date +%s%N) timeout 30 "$launch" 2>/dev/null | tail -1 || true)
  ours_panel+=("$(field launch_to_panel_ms <<<"$line")")
done
m() { printf '%s\n' "$@" | grep -v '^$' | median; }
cpu_q=$(m "${ours_cpu[@]}") rss_q=$(m "${ours_rss[@]}") before_q=$(m "${ours_before[@]}")
first_q=$(m "${ours_first[@]}") second_q=$(m "${ours_second[@]}") chapter_q=$(m "${ours_chapter[@]}") panel_q=$(m "${ours_panel[@]}")
av_q=$(m "${ours_av[@]}") avjump_q=$(m "${ours_avjump[@]}")

# Each line of stdin with the wall time (microseconds) it arrived at.
stamp() { local l; while IFS= read -r l; do printf '%s %s\n' "${EPOCHREALTIME/./}" "$l"; done; }

# Launch to the first picture (ms) from a peer's log: vlc logs are stamped by stamp(),
# mpv's carry its own clock.
first_picture() { # kind log start_us
  case $1 in
    vlc) awk -v s="$3" '/Received first picture/ {printf "%.0f", ($1 - s) / 1000; exit}' "$2" ;;
    mpv) sed -nE 's/.*\[ *([0-9.]+)\] \[cplayer\] first video frame after restart shown.*/\1/p' "$2" | head -1 |
           awk '{printf "%.0f", $1 * 1000}' ;;
  esac
}

# A peer under /usr/bin/time: CPU seconds per content second, peak RSS (MiB) and
# launch to first picture (ms).
peer() { # name kind command...
  local name=$1 kind=$2; shift 2
  local cpus=() rsss=() firsts=() out u s k start log tf=$work/peer.time
  log=$build/bench/side_by_side.${name//[^A-Za-z]/_}.log # the last run's, kept
  for _ in $(seq $runs); do
    rm -f "$tf"
    start=${EPOCHREALTIME/./}
    { /usr/bin/time -o "$tf" -f "TIME %U %S %M" timeout $((play + 20)) "$@" 2>&1; } | stamp >"$log" || true
    out=$(grep '^TIME' "$tf" 2>/dev/null | tail -1 || true)
    [ -n "$out" ] || continue
    read -r _ u s k <<<"$out"
    cpus+=("$(awk -v u="$u" -v s="$s" -v c=$play 'BEGIN{printf "%.3f", (u+s)/c}')")
    rsss+=("$(awk -v k="$k" 'BEGIN{printf "%.1f", k/1024}')")
    firsts+=("$(first_picture "$kind" "$log" "$start")")
  done
  [ ${#cpus[@]} -gt 0 ] || { echo "side_by_side: $name gave no figures; its last log:" >&2; tail -5 "$log" >&2; return 0; }
  echo "$name|$(m "${cpus[@]}")|$(m "${rsss[@]}")|$(m "${firsts[@]}")"
}

# VLC will not run as root: then it runs as nobody, with a home of its own.
as_user=()
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
  mkdir -p "$work/vlchome" && chmod 777 "$work/vlchome"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups -- env HOME=$work/vlchome)
fi
peers=()
[ "${PEERS:-1}" = 0 ] && no_peers=1 || no_peers=0
if [ $no_peers = 0 ] && command -v cvlc >/dev/null; then
  peers+=("$(peer "VLC, no interface" vlc "${as_user[@]}" cvlc -vv --intf dummy --vout xcb_x11 --aout dummy \
    --no-video-title-show --width "$width" --height "$height" --autoscale --stop-time $play --play-and-exit \
    "dvdsimple://$disc")")
  peers+=("$(peer "VLC, Qt interface" vlc "${as_user[@]}" vlc -vv --intf qt --no-qt-privacy-ask --vout xcb_x11 \
    --aout dummy --no-video-title-show --width "$width" --height "$height" --stop-time $play --play-and-exit \
    "dvdsimple://$disc")")
fi
if [ $no_peers = 0 ] && command -v mpv >/dev/null; then
  peers+=("$(peer "mpv" mpv mpv --no-config --vo=x11 --ao=null --geometry="${width}x${height}" --length=$play \
    --msg-time --msg-level=all=warn,cplayer=v --dvd-device="$disc" dvd://)")
fi

echo "60 s PAL 16:9 title, 8 Mbit/s video, AC-3 448 kbit/s; picture ${width}x${height}; X11 output; medians of $runs"
echo
echo "| player | CPU s per content s | peak RSS MiB | launch to first picture | next chapter to its first picture | A/V offset steady / after a jump |"
echo "|---|---|---|---|---|---|"
echo "| this player | $cpu_q | $rss_q ($before_q before Play) | $panel_q ms to a usable panel, then $first_q ms from Play (the second picture at $second_q ms) | $chapter_q ms | $av_q / $avjump_q ms |"
for p in "${peers[@]}"; do
  [ -n "$p" ] || continue
  IFS='|' read -r name cpu rss first <<<"$p"
  echo "| $name | $cpu | $rss | $first ms | - | - |"
done
echo
for p in "${peers[@]}"; do
  [ -n "$p" ] || continue
  IFS='|' read -r name cpu rss first <<<"$p"
  awk -v n="$name" -v a="$cpu_q" -v b="$cpu" -v r="$rss_q" -v s="$rss" \
    'BEGIN{printf "ours / %s: CPU %.2fx, peak RSS %.2fx\n", n, a/b, r/s}'
done
echo
# Against the targets (a ratio above 1 misses the target by that factor).
vlc_cpu=$(printf '%s\n' "${peers[@]}" | awk -F'|' '$1 == "VLC, no interface" {print $2}')
vlc_qt_rss=$(printf '%s\n' "${peers[@]}" | awk -F'|' '$1 == "VLC, Qt interface" {print $3}')
target() { # what figure limit
  awk -v w="$1" -v f="$2" -v l="$3" 'BEGIN{ if (f == "" || f == "-" || l == "" || l + 0 == 0) exit;
    printf "%-44s %9s against %-8s ratio %.2f %s\n", w, f, l, f / l, (f <= l ? "met" : "missed") }'
}
[ -n "$vlc_cpu" ] && target "CPU s per content s (0.5x VLC, no interface)" "$cpu_q" "$(awk -v c="$vlc_cpu" 'BEGIN{print c/2}')"
[ -n "$vlc_qt_rss" ] && target "peak RSS MiB (0.5x VLC with its Qt interface)" "$rss_q" "$(awk -v c="$vlc_qt_rss" 'BEGIN{print c/2}')"
target "RSS growth from before Play, MiB" "$(awk -v a="$rss_q" -v b="$before_q" 'BEGIN{printf "%.1f", a-b}')" 15
target "Play to first picture, ms" "$first_q" 80
target "launch to a usable panel, ms" "$panel_q" 250
target "next chapter to its first picture, ms" "$chapter_q" 100
target "A/V offset steady, ms" "$av_q" 20
target "A/V offset in the second after a jump, ms" "$avjump_q" 40
