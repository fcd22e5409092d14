#!/usr/bin/env bash
# throughput.sh BUILD_DIR: demultiplexing and decoding without output, this player's
# path (the DVD navigator and the decoder filters, null sinks, no clock to wait for)
# against a bare loop over libdvdnav and libavcodec, on title 1 of the 60 s benchmark
# disc (bench_disc.sh; progressive) and of the same title coded interlaced. Prints
# pictures per CPU second (getrusage, user + system, the whole process) for both, and
# the ratio, medians of RUNS runs (default 5), each run one pass of each.
# LOCK=FILE runs each pass under flock FILE (so that other work does not disturb it).
# BUILD_DIR is a build configured with -DQDVD_BENCH=ON (throughput_bench built).
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
build=$(cd "$1" && pwd) here=$(dirname "$0") runs=${RUNS:-5}
bench=$build/bench/throughput_bench
[ -x "$bench" ] || { echo "no $bench: configure with -DQDVD_BENCH=ON and build throughput_bench" >&2; exit 1; }

median() { sort -g | awk '{v[NR]=$1} END {print (NR ? v[int((NR+1)/2)] : "-")}'; }
# One pass of each loop; prints "name pictures pictures_per_cpu_s switches" lines.
pass() {
  local run=("$bench" "$1" --benchmark_format=csv)
  [ -n "${LOCK:-}" ] && run=(flock "$LOCK" "${run[@]}")
  "${run[@]}" 2>/dev/null | awk -F, '
    /^name,/ { for (i = 1; i <= NF; ++i) { gsub(/"/, "", $i); col[$i] = i } next }
    /^"BM_/ { n = $1; gsub(/"|\/.*/, "", n); print n, $col["pictures"], $col["pictures_per_cpu_s"], $col["switches"] }'
}

printf '| title | pictures, bare / ours | bare loop, pictures per CPU s | ours, pictures per CPU s | ours / bare | thread switches, bare / ours |\n'
printf '|---|---|---|---|---|---|\n'
for kind in progressive interlaced; do
  disc=$("$here/bench_disc.sh" "$build" "$kind")
  bare=() ours=() pics=() opics=() bsw=() osw=()
  for _ in $(seq "$runs"); do
    while read -r name p rate sw; do
      case $name in
        BM_BareLoop) bare+=("$rate") pics+=("$p") bsw+=("$sw") ;;
        BM_OurPath) ours+=("$rate") opics+=("$p") osw+=("$sw") ;;
      esac
    done < <(pass "$disc")
  done
  [ ${#bare[@]} -gt 0 ] && [ ${#ours[@]} -gt 0 ] || { echo "no figures for $disc" >&2; exit 1; }
  m() { printf '%s\n' "$@" | median; }
  b=$(m "${bare[@]}") o=$(m "${ours[@]}")
  printf '| 60 s PAL 8 Mbit/s, %s | %s / %s | %.0f | %.0f | %.2f | %s / %s |\n' "$kind" "$(m "${pics[@]}")" "$(m "${opics[@]}")" "$b" "$o" \
    "$(awk -v o="$o" -v b="$b" 'BEGIN{print o/b}')" "$(m "${bsw[@]}")" "$(m "${osw[@]}")"
done
