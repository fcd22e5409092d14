#!/usr/bin/env bash
# planted_test.sh PYTHON CHECK SOURCE_TREE: the layer check over small trees, each with
# one crossing planted, and over a copy of the source tree with a wrong include.
set -uo pipefail
python=$1 check=$2 source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A tree that follows the arrows.
clean_tree() {
  rm -rf "$work/t"
  mkdir -p "$work/t/src/engine" "$work/t/src/skin" "$work/t/src/platform/codecs" "$work/t/src/platform/graph"
  printf '#include "engine/a.h"\n#include "framework/component.h"\n#include "dshow/strmif.h"\n#include <QString>\n#include <vector>\n' \
    >"$work/t/src/engine/a.cpp"
  printf '#include "skin/b.h"\n#include "framework/controls.h"\n' >"$work/t/src/skin/b.cpp"
  printf '#include "graph/filter_base.h"\n#include <libavcodec/avcodec.h>\n#include <unistd.h>\n' \
    >"$work/t/src/platform/codecs/c.cpp"
  printf '#include "win/running_objects.h"\n' >"$work/t/src/platform/graph/g.cpp"
  printf 'add_library(engine STATIC a.cpp)\ntarget_link_libraries(engine PUBLIC framework platform_dshow Qt6::Core)\n' \
    >"$work/t/src/engine/CMakeLists.txt"
  printf 'add_library(platform_codecs STATIC c.cpp)\ntarget_link_libraries(platform_codecs PUBLIC platform_graph PRIVATE PkgConfig::FFMPEG)\n' \
    >"$work/t/src/platform/codecs/CMakeLists.txt"
  printf 'add_library(platform STATIC p.cpp)\ntarget_link_libraries(platform PUBLIC platform_com)\ntarget_link_libraries(platform PRIVATE platform_${part})\n' \
    >"$work/t/src/platform/CMakeLists.txt"
}

# expect_crossing DESCRIPTION PATTERN: the check fails on the tree and names the crossing.
expect_crossing() {
  local out code
  out=$("$python" "$check" "$work/t" 2>&1); code=$?
  if [[ $code -ne 1 ]]; then fail "$1: exit $code, expected 1"; echo "$out"; return; fi
  grep -qE "$2" <<<"$out" || { fail "$1: no line matching '$2' in:"; echo "$out"; }
}

clean_tree
out=$("$python" "$check" "$work/t" 2>&1) || fail "the clean tree fails: $out"

clean_tree; echo '#include "graph/filter_graph.h"' >>"$work/t/src/engine/a.cpp"
expect_crossing "engine includes a graph header" '^src/engine/a.cpp:6: engine includes "graph/filter_graph.h"'

clean_tree; echo '#include <unistd.h>' >>"$work/t/src/engine/a.cpp"
expect_crossing "engine includes a system header" '^src/engine/a.cpp:6: engine includes <unistd.h>'

clean_tree; echo '#include <SDL2/SDL.h>' >>"$work/t/src/engine/a.cpp"
expect_crossing "engine includes SDL" 'engine includes <SDL2/SDL.h>'

clean_tree; echo '#include "win/x11.h"' >>"$work/t/src/engine/a.cpp"
expect_crossing "engine includes a platform-internal header" 'engine includes "win/x11.h" \(internal'

clean_tree; echo '#include "win/winuser.h"' >>"$work/t/src/skin/b.cpp"
expect_crossing "skin includes a platform header" 'skin includes "win/winuser.h"'

clean_tree; echo '#include "engine/filter_graph.h"' >>"$work/t/src/platform/codecs/c.cpp"
expect_crossing "the platform includes a header above it" 'platform/codecs includes "engine/filter_graph.h"'

clean_tree; echo 'target_link_libraries(engine PRIVATE platform_render)' >>"$work/t/src/engine/CMakeLists.txt"
expect_crossing "engine links an implementation folder" 'engine links platform_render$'

clean_tree; echo 'target_link_libraries(engine PRIVATE platform)' >>"$work/t/src/engine/CMakeLists.txt"
expect_crossing "engine links the start-up target" 'engine links platform$'

clean_tree; echo 'target_link_libraries(engine PRIVATE PkgConfig::FFMPEG)' >>"$work/t/src/engine/CMakeLists.txt"
expect_crossing "engine links FFmpeg" 'engine links PkgConfig::FFMPEG \(above'

clean_tree; sed -i 's/PRIVATE PkgConfig::FFMPEG/PkgConfig::FFMPEG/' "$work/t/src/platform/codecs/CMakeLists.txt"
expect_crossing "codecs passes FFmpeg on" 'platform_codecs links PkgConfig::FFMPEG PUBLIC'

clean_tree; sed -i 's/platform PRIVATE platform_/platform PUBLIC platform_/' "$work/t/src/platform/CMakeLists.txt"
expect_crossing "the start-up target passes the implementation on" 'platform links platform_\$\{part\} PUBLIC'

# The real tree with one wrong include planted.
mkdir -p "$work/copy"
cp -r "$source/src" "$work/copy/"
out=$("$python" "$check" "$work/copy" 2>&1) || fail "the copy of the source tree fails before planting: $out"
echo '#include "render/video_renderer.h"' >>"$work/copy/src/video/video_window.cpp"
out=$("$python" "$check" "$work/copy" 2>&1); code=$?
[[ $code -eq 1 ]] && grep -q 'src/video/video_window.cpp:[0-9]*: video includes "render/video_renderer.h"' <<<"$out" \
  || { fail "the planted include in the source tree: exit $code"; echo "$out"; }

if [[ $failures -ne 0 ]]; then echo "$failures failure(s)"; exit 1; fi
echo "layer check: every planted crossing found, the clean trees pass"
