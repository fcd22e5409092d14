#!/usr/bin/env bash
# Soak run (not in CI): builds bench/soak and runs it on the authored discs under a
# virtual display with silent sound, bookmarks kept in a scratch folder.
#   bench/soak.sh [minutes] [seed]      (QDVD_BENCH_BUILD: build folder, default build/bench)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
build=${QDVD_BENCH_BUILD:-build/bench}
discs=${QDVD_FIXTURE_DIR:-$top/build/discs}
tests/fixtures/make_discs.sh "$discs" >/dev/null
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQDVD_BENCH=ON >/dev/null
cmake --build "$build" --target soak
scratch=$(mktemp -d /tmp/qdvd-soak.XXXXXX)
export QDVD_FIXTURE_DIR=$discs SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb XDG_DATA_HOME=$scratch/data
source scripts/lib/display.sh
start_display
trap 'stop_display; rm -rf "$scratch"' EXIT
"$build/bench/soak" "${1:-30}" "${2:-1}"
