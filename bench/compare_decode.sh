#!/usr/bin/env bash
# compare_decode.sh BUILD_DIR VOB: decodes the same VOB with ffmpeg (-f null, all
# its default streams) and with our demultiplexer and decoders (decode_bench), and
# prints pictures per CPU second for both and their ratio.
# BUILD_DIR is a build configured with -DQDVD_BENCH=ON (decode_bench built).
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 BUILD_DIR VOB" >&2; exit 2; }
build=$1 vob=$2
bench=$build/bench/decode_bench
[ -x "$bench" ] || { echo "no $bench: configure with -DQDVD_BENCH=ON and build decode_bench" >&2; exit 1; }

pictures=$(ffprobe -v error -select_streams v:0 -count_frames -show_entries stream=nb_read_frames -of csv=p=0 "$vob" | head -1 | tr -d ",")
passes=20
cpu=0
for _ in $(seq $passes); do
  # -benchmark prints "bench: utime=0.123s stime=0.010s rtime=..."
  line=$(ffmpeg -hide_banner -nostdin -benchmark -i "$vob" -f null - 2>&1 | grep 'bench: utime' | tail -1)
  u=$(sed -E 's/.*utime=([0-9.]+)s.*/\1/' <<<"$line")
  s=$(sed -E 's/.*stime=([0-9.]+)s.*/\1/' <<<"$line")
  cpu=$(awk -v c="$cpu" -v u="$u" -v s="$s" 'BEGIN{print c+u+s}')
done
ffmpeg_fps=$(awk -v p="$pictures" -v n="$passes" -v c="$cpu" 'BEGIN{printf "%.0f", p*n/c}')

ours=$("$bench" "$vob" --benchmark_filter='BM_DemuxDecodeAndSound$' --benchmark_min_time=2 2>/dev/null |
  awk '/BM_DemuxDecodeAndSound/ { for (i = 1; i <= NF; ++i) if ($i ~ /^pictures_per_cpu_s=/) { sub(/pictures_per_cpu_s=/, "", $i); print $i } }')
ours_rgb=$("$bench" "$vob" --benchmark_filter='BM_DemuxDecodeRgbAndSound$' --benchmark_min_time=2 2>/dev/null |
  awk '/BM_DemuxDecodeRgbAndSound/ { for (i = 1; i <= NF; ++i) if ($i ~ /^pictures_per_cpu_s=/) { sub(/pictures_per_cpu_s=/, "", $i); print $i } }')
to_num() { awk -v v="$1" 'BEGIN{ sub(/\/s$/, "", v); m=1; if (v ~ /k$/) { m=1000; sub(/k$/, "", v) } printf "%.0f", v*m }'; }
ours=$(to_num "$ours"); ours_rgb=$(to_num "$ours_rgb")

echo "VOB: $vob ($pictures pictures)"
echo "ffmpeg -f null (video + audio decode):       $ffmpeg_fps pictures per CPU second"
echo "decode_bench demux + video + AC-3:           $ours pictures per CPU second"
echo "decode_bench demux + video + RGB32 + AC-3:   $ours_rgb pictures per CPU second"
awk -v a="$ours" -v b="$ffmpeg_fps" -v c="$ours_rgb" 'BEGIN{printf "ratio ours/ffmpeg: %.2f (with RGB32 conversion: %.2f)\n", a/b, c/b}'
