#!/usr/bin/env bash
# bench_disc.sh BUILD_DIR [progressive|interlaced]: authors, once, the 60 s benchmark
# disc under BUILD_DIR/bench and prints its folder (the parent of VIDEO_TS). A PAL 16:9
# title at 8 Mbit/s with AC-3 448 kbit/s (ffmpeg and dvdauthor, as the test fixtures do;
# chapters every 10 s; rows 0..15 of every picture carry its frame number as the test
# discs' frame code).
#   progressive  disc60coded: progressive pictures (side_by_side.sh plays it)
#   interlaced   disc60interlaced: the same pattern shot at 50 fields a second, coded
#                interlaced, top field first (the pictures go through the deinterlacer)
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 BUILD_DIR [progressive|interlaced]" >&2; exit 2; }
build=$(cd "$1" && pwd) kind=${2:-progressive}
case $kind in
  progressive) disc=$build/bench/disc60coded rate=25 fields= ;;
  interlaced) disc=$build/bench/disc60interlaced rate=50 fields='tinterlace=mode=interleave_top,setfield=tff,' ;;
  *) echo "unknown kind $kind (progressive or interlaced)" >&2; exit 2 ;;
esac
seconds=60
if [ ! -f "$disc/VIDEO_TS/VIDEO_TS.IFO" ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  # The frame code: a black band, a white and a black marker, 16 bits of n (MSB first).
  {
    printf '%sformat=yuv420p,drawbox=x=0:y=0:w=720:h=16:color=black:t=fill,' "$fields"
    printf 'drawbox=x=640:y=0:w=40:h=16:color=white:t=fill'
    for i in $(seq 0 15); do
      printf ",drawbox=x=%d:y=0:w=40:h=16:color=white:t=fill:enable='mod(floor(n/%d),2)'" $((40 * i)) $((1 << (15 - i)))
    done
    echo
  } >"$work/code.filt"
  coding=()
  [ "$kind" = interlaced ] && coding=(-flags +ildct+ilme -top 1)
  mkdir -p "$build/bench"
  ffmpeg -hide_banner -nostdin -loglevel error -y \
    -f lavfi -i "testsrc2=size=720x576:rate=$rate" -f lavfi -i "sine=frequency=440:sample_rate=48000" \
    -filter_script:v "$work/code.filt" \
    -t $seconds -target pal-dvd -aspect 16:9 -b:v 8000k -maxrate 9000k -bufsize 1835k "${coding[@]}" \
    -c:a ac3 -b:a 448k -ac 2 "$work/title.mpg"
  cat >"$work/dvd.xml" <<XML
<dvdauthor><vmgm/><titleset><titles>
  <video format="pal" aspect="16:9" widescreen="nopanscan"/>
  <pgc><vob file="$work/title.mpg" chapters="0,0:10,0:20,0:30,0:40,0:50"/></pgc>
</titles></titleset></dvdauthor>
XML
  rm -rf "$disc"
  VIDEO_FORMAT=PAL dvdauthor -o "$disc" -x "$work/dvd.xml" >/dev/null 2>&1
  VIDEO_FORMAT=PAL dvdauthor -o "$disc" -T >/dev/null 2>&1
fi
echo "$disc"
