#!/usr/bin/env bash
# graph_test.sh PYTHON CHECK CMAKE SOURCE_TREE: the link rules over CMake's own
# dependency graph (cmake --graphviz). The source tree passes; a copy whose engine links
# an implementation folder through a variable fails, though its text looks clean to the
# CMakeLists reading.
set -uo pipefail
python=$1 check=$2 cmake=$3 source=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# graph TREE: configures TREE into a scratch folder and writes its dependency graph.
graph() {
  rm -rf "$work/build"
  "$cmake" -S "$1" -B "$work/build" -G Ninja --graphviz="$work/build/links.dot" >"$work/configure.log" 2>&1 \
    || { cat "$work/configure.log"; return 1; }
}

graph "$source" || fail "the source tree does not configure"
out=$("$python" "$check" --graph "$work/build/links.dot" 2>&1) || fail "the source tree's graph fails: $out"

mkdir -p "$work/copy"
(cd "$source" && tar --exclude=./build --exclude=./.git -cf - .) | tar -xf - -C "$work/copy"
printf 'set(more platform_render)\ntarget_link_libraries(engine PRIVATE ${more})\n' >>"$work/copy/src/engine/CMakeLists.txt"
if graph "$work/copy"; then
  out=$("$python" "$check" --graph "$work/build/links.dot" 2>&1); code=$?
  [[ $code -eq 1 ]] && grep -q 'links.dot: engine links platform_render$' <<<"$out" \
    || { fail "the planted link through a variable: exit $code"; echo "$out"; }
else
  fail "the copy does not configure"
fi

# FFmpeg passed on by an implementation folder, as the graph shows it (a solid edge).
sed 's|\[ style = dotted \] // platform_codecs -> PkgConfig::FFMPEG|// platform_codecs -> PkgConfig::FFMPEG|' \
  "$work/build/links.dot" >"$work/public.dot"
out=$("$python" "$check" --graph "$work/public.dot" 2>&1)
grep -q 'platform_codecs links PkgConfig::FFMPEG PUBLIC' <<<"$out" || { fail "FFmpeg PUBLIC in the graph"; echo "$out"; }

# Not a graph at all.
echo 'digraph "x" { }' >"$work/empty.dot"
"$python" "$check" --graph "$work/empty.dot" >/dev/null 2>&1 && fail "an empty graph passes"

if [[ $failures -ne 0 ]]; then echo "$failures failure(s)"; exit 1; fi
echo "layer check over CMake's graph: the tree passes, the planted links are found"
