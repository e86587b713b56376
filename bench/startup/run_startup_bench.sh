#!/bin/sh
# Start-up benchmark: median of 10 launches of the program and of a bare Qt window with
# about the same widgets, interleaved, under a private Xvfb. Goal: ratio <= 1.3x, and no
# web engine in or below the program until its browser is first shown, and no GStreamer
# until something is played.
# Usage: run_startup_bench.sh [build dir] [rounds]
set -eu
build=${1:-build}
rounds=${2:-10}
cmake --build "$build" --target startup_bench startup_bare_window
set -- "bare=$build/bench/startup/startup_bare_window"
if [ -x "$build/bin/korvant" ]; then
  set -- "$@" "korvant=+$build/bin/korvant"
else
  echo "note: $build/bin/korvant not built; measuring the baseline only" >&2
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bench/startup/startup_bench" "$rounds" "$@"
