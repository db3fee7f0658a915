#!/usr/bin/env bash
# Start-up benchmark: the editor against a bare Qt window (bench/BareWindow.cpp), started
# alternately on a private virtual X server. For each start it takes the time until the
# program's window is mapped and the resident memory 2 s later (child processes
# included). Two cases: no game known (no folder), and the demo game registered, so the
# folder picker opens in the demo's USER folder. Prints the medians and, on the last
# line, the median ratios editor / bare window.
#
# A third program (bench/TextWindow.cpp) starts in the same rounds: a window with a
# line of Japanese text in the editor's font and Qt's folder picker opened at start-up,
# which the editor must do too and the bare window does not. Its ratios, printed before
# the last line, show how far the editor is from what any such window costs.
#
#   bench/startup.sh [PAIRS]      (default 21 pairs per case, at least 15)
#
# Runs under a temporary HOME and XDG_CONFIG_HOME: the player's own settings are not
# touched. Not part of the test suite.
set -euo pipefail
cd "$(dirname "$0")/.."

pairs=${1:-21}
if [ "$pairs" -lt 15 ]; then
  echo "usage: bench/startup.sh [PAIRS]   (PAIRS >= 15)" >&2
  exit 2
fi

./scripts/setup.sh
build=build/startup
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLMOR_BUILD_GUI=ON \
  -DQUILLMOR_BUILD_TESTS=OFF -DQUILLMOR_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$build" --target quillmor quillmor-demo quillmor_bare_window quillmor_text_window \
  quillmor_mapwatch

editor=$PWD/$build/quillmor
bare=$PWD/$build/bench/quillmor_bare_window
text=$PWD/$build/bench/quillmor_text_window
watch=$PWD/$build/bench/quillmor_mapwatch

work=$(mktemp -d)
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A private X server on a free display number.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" \
  2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "startup.sh: Xvfb did not start" >&2; exit 1; }
display=":$(tr -d '\n' <"$work/display")"

mkdir -p "$work/home" "$work/run" "$work/cache" "$work/config-empty" "$work/config-demo"
chmod 700 "$work/run"
run_env=(env -u WINEPREFIX -u QT_QPA_PLATFORM -u SESSION_MANAGER DISPLAY="$display"
  HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CACHE_HOME="$work/cache")
"${run_env[@]}" XDG_CONFIG_HOME="$work/config-demo" \
  "$PWD/$build/tools/quillmor-demo" "$work/demo" --register >/dev/null

# One start: prints "milliseconds KiB".
measure() {  # config-dir program
  local config=$1
  shift
  (cd "$work" && "${run_env[@]}" XDG_CONFIG_HOME="$work/$config" "$watch" 2000 "$@")
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

summary=()
floor=()
for case in empty demo; do
  config=config-$case
  label="no folder"
  [ "$case" = demo ] && label="demo game registered"
  : >"$work/bare.txt"
  : >"$work/editor.txt"
  : >"$work/text.txt"
  # One start of each, not counted: file and font caches warm up.
  measure "$config" "$bare" >/dev/null
  measure "$config" "$editor" >/dev/null
  measure "$config" "$text" >/dev/null
  for i in $(seq "$pairs"); do
    measure "$config" "$bare" >>"$work/bare.txt"
    measure "$config" "$editor" >>"$work/editor.txt"
    measure "$config" "$text" >>"$work/text.txt"
  done
  bare_ms=$(cut -d' ' -f1 "$work/bare.txt" | median)
  bare_kib=$(cut -d' ' -f2 "$work/bare.txt" | median)
  bare_cpu=$(cut -d' ' -f3 "$work/bare.txt" | median)
  editor_ms=$(cut -d' ' -f1 "$work/editor.txt" | median)
  editor_kib=$(cut -d' ' -f2 "$work/editor.txt" | median)
  editor_cpu=$(cut -d' ' -f3 "$work/editor.txt" | median)
  time_ratio=$(awk -v a="$editor_ms" -v b="$bare_ms" 'BEGIN { printf "%.2f", a / b }')
  mem_ratio=$(awk -v a="$editor_kib" -v b="$bare_kib" 'BEGIN { printf "%.2f", a / b }')
  # The CPU time used until the window was mapped: steadier than the clock on a busy
  # machine, shown for reading the start-up ratio. It counts the threads alive at the
  # mapping: the editor's fontconfig thread (some 6 ms, see main.cpp) has ended by then
  # and is not in it.
  awk -v l="$label" -v n="$pairs" -v em="$editor_ms" -v bm="$bare_ms" -v ek="$editor_kib" \
    -v bk="$bare_kib" -v ec="$editor_cpu" -v bc="$bare_cpu" 'BEGIN {
      printf "%s, %d pairs: window mapped after %.1f ms (bare %.1f ms), %.1f MB resident after 2 s (bare %.1f MB), %.1f ms CPU until mapped (bare %.1f ms, %.2fx)\n",
        l, n, em, bm, ek / 1024, bk / 1024, ec, bc, ec / bc }'
  summary+=("$label: start-up ${time_ratio}x, memory ${mem_ratio}x")
  text_ms=$(cut -d' ' -f1 "$work/text.txt" | median)
  text_kib=$(cut -d' ' -f2 "$work/text.txt" | median)
  text_cpu=$(cut -d' ' -f3 "$work/text.txt" | median)
  awk -v l="$label" -v tm="$text_ms" -v bm="$bare_ms" -v tk="$text_kib" -v bk="$bare_kib" \
    -v tc="$text_cpu" -v bc="$bare_cpu" 'BEGIN {
      printf "%s: text window with the picker mapped after %.1f ms (%.2fx bare), %.1f MB after 2 s (%.2fx), %.1f ms CPU (%.2fx)\n",
        l, tm, tm / bm, tk / 1024, tk / bk, tc, tc / bc }'
  floor+=("$label: start-up $(awk -v a="$editor_ms" -v b="$text_ms" 'BEGIN { printf "%.2f", a / b }')x, memory $(awk -v a="$editor_kib" -v b="$text_kib" 'BEGIN { printf "%.2f", a / b }')x")
done
echo "editor / text window with the picker (medians): ${floor[0]}; ${floor[1]}"
echo "editor / bare window (medians): ${summary[0]}; ${summary[1]}"
