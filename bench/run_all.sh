#!/usr/bin/env bash
# Every benchmark in one go: start-up (window mapped, beside a bare Qt window), idle memory
# (beside the same bare window), stream start / streaming cost (beside a bare gst-launch
# playbin) and Find Stations (opening and search to rows, beside bare Qt); then one table of figure, ours, baseline, ratio, goal and whether it
# was met. Full outputs are kept in BUILD_DIR/bench-logs/.
#   bench/run_all.sh BUILD_DIR
# First sound and streaming memory through PulseAudio beside mpv, goodvibes and a bare
# playbin (bench/first_sound). BENCH_FIRST_SOUND_ROUNDS (5), BENCH_STARTUP_ROUNDS (10), BENCH_IDLE_ROUNDS (5), BENCH_STREAM_RUNS (10),
# BENCH_STREAM_SECONDS (60) and BENCH_DIRECTORY_ROUNDS (10) shorten or lengthen the runs.
# Recording (CPU while playing and recording against playing alone, on one connection):
# BENCH_RECORDING_ROUNDS (3) and BENCH_RECORDING_SECONDS (30 a side). The
# build must point its built-in host names and directory servers at loopback (tools/korvant.sh
# bench does).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
logs=$build/bench-logs
mkdir -p "$logs"

# BENCH_TABLE_ONLY=1 prints the table again from the logs of the last run.
if [ -z "${BENCH_TABLE_ONLY:-}" ]; then
    cmake --build "$build" --target korvant startup_bench startup_bare_window stream_start_bench \
        directory_bench first_sound_tool recording_bench
    echo "== start-up"
    "$here/startup/run_startup_bench.sh" "$build" "${BENCH_STARTUP_ROUNDS:-10}" |
        tee "$logs/startup.txt"
    echo "== idle memory"
    "$here/idle_memory/run_idle_memory.sh" "$build" "${BENCH_IDLE_ROUNDS:-5}" |
        tee "$logs/idle_memory.txt"
    echo "== stream start and streaming"
    "$build/bench/stream_start/stream_start_bench" --runs "${BENCH_STREAM_RUNS:-10}" \
        --seconds "${BENCH_STREAM_SECONDS:-60}" | tee "$logs/stream_start.txt"
    echo "== first sound and memory through PulseAudio (beside mpv, goodvibes, playbin)"
    "$here/first_sound/run_first_sound.sh" "$build" "${BENCH_FIRST_SOUND_ROUNDS:-5}" \
        "${BENCH_STREAM_SECONDS:-60}" | tee "$logs/first_sound.txt"
    echo "== recording (playing and recording against playing alone)"
    "$build/bench/recording/recording_bench" | tee "$logs/recording.txt"
    echo "== find stations"
    QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
        "$build/bench/directory/directory_bench" --rounds "${BENCH_DIRECTORY_ROUNDS:-10}" |
        tee "$logs/directory.txt"
fi

# field FILE TEXT N: the Nth whitespace-separated field after TEXT on its first line
field() {
    awk -v pat="$2" -v n="$3" '(i = index($0, pat)) {
        split(substr($0, i + length(pat)), f, " "); print f[n]; exit }' "$1"
}
startup_ours=$(awk '$1 == "median" && $2 == "korvant" {print $3}' "$logs/startup.txt")
startup_bare=$(awk '$1 == "median" && $2 == "bare" {print $3}' "$logs/startup.txt")
web=$(sed -n 's/.*web engine before the browser was shown: \([A-Za-z]*\).*/\1/p' "$logs/startup.txt")
gst=$(sed -n 's/.*GStreamer before the first play: \([A-Za-z]*\).*/\1/p' "$logs/startup.txt")
net=$(sed -n 's/.*Qt Network before the first search: \([A-Za-z]*\).*/\1/p' "$logs/startup.txt")
d=$logs/directory.txt
find_open_ours=$(field "$d" "median window opened, ms: ours" 1)
find_open_bare=$(field "$d" "median window opened, ms: ours" 3)
find_rows_ours=$(field "$d" "median search -> 100 rows shown, ms: ours" 1)
find_rows_bare=$(field "$d" "median search -> 100 rows shown, ms: ours" 3)
find_show_ours=$(field "$d" "median answer -> 100 rows shown, ms: ours" 1)
idle_rss_ours=$(awk '$1 == "idle" && $2 == "korvant" {print $4}' "$logs/idle_memory.txt")
idle_pss_ours=$(awk '$1 == "idle" && $2 == "korvant" {print $6}' "$logs/idle_memory.txt")
idle_rss_bare=$(awk '$1 == "idle" && $2 == "bare" {print $4}' "$logs/idle_memory.txt")
idle_pss_bare=$(awk '$1 == "idle" && $2 == "bare" {print $6}' "$logs/idle_memory.txt")
s=$logs/stream_start.txt
start_ours=$(field "$s" "(ours: URL -> state 3)" 1)
start_bare=$(field "$s" "(ours: URL -> state 3)" 2)
launch_ours=$(field "$s" "(launch -> playing)" 1)
audio_ours=$(field "$s" "(ours: URL ->)" 1)
audio_bare=$(field "$s" "(ours: URL ->)" 2)
cpu_ours=$(field "$s" "CPU s over" 4)
cpu_bare=$(field "$s" "CPU s over" 5)
pulse_ours=$(field "$s" "server CPU s meanwhile" 1)
pulse_bare=$(field "$s" "server CPU s meanwhile" 2)
peak_ours=$(field "$s" "peak RSS MiB while streaming" 1)
peak_bare=$(field "$s" "peak RSS MiB while streaming" 2)
rec_ours=$(field "$logs/recording.txt" "CPU s per minute, mean: recording" 1)
rec_bare=$(field "$logs/recording.txt" "CPU s per minute, mean: recording" 3)
fs=$logs/first_sound.txt
sound_ours=$(awk '$1 == "first_sound_ms" {print $3}' "$fs" 2>/dev/null || true)
sound_best=$(awk '$1 == "first_sound_ms" {for (i = 1; i < NF; i++) if ($i == "best") print $(i + 2)}' "$fs" 2>/dev/null || true)
sound_name=$(awk '$1 == "first_sound_ms" {for (i = 1; i < NF; i++) if ($i == "best") print $(i + 1)}' "$fs" 2>/dev/null || true)
pulse_peak_ours=$(awk '$1 == "peak_rss_mib" {print $3}' "$fs" 2>/dev/null || true)
pulse_peak_best=$(awk '$1 == "peak_rss_mib" {for (i = 1; i < NF; i++) if ($i == "best") print $(i + 2)}' "$fs" 2>/dev/null || true)
pulse_peak_name=$(awk '$1 == "peak_rss_mib" {for (i = 1; i < NF; i++) if ($i == "best") print $(i + 1)}' "$fs" 2>/dev/null || true)

# row FIGURE OURS BASELINE GOAL-TEXT MAX-ABSOLUTE MAX-RATIO (a "-" skips a check)
row() {
    awk -v f="$1" -v o="$2" -v b="$3" -v g="$4" -v abs="$5" -v rat="$6" 'BEGIN {
        ratio = (b + 0 > 0 && o != "") ? sprintf("%.2fx", o / b) : "-"
        met = "-"
        if (o == "") met = "NO (no figure)"
        else if (abs != "-" || rat != "-") {
            met = "yes"
            if (abs != "-" && o + 0 > abs + 0) met = "NO"
            if (rat != "-" && b + 0 > 0 && o / b > rat + 0) met = "NO"
        }
        printf "| %-40s | %9s | %9s | %6s | %-22s | %-4s |\n", f, o == "" ? "?" : o, b == "" ? "-" : b, ratio, g, met
    }'
}
echo
echo "| figure                                   |      ours |  baseline |  ratio | goal                   | met? |"
echo "|------------------------------------------|-----------|-----------|--------|------------------------|------|"
row "window mapped, ms (bare Qt window)" "$startup_ours" "$startup_bare" "<= 150 ms, <= 1.3x" 150 1.3
awk -v w="$web" 'BEGIN { printf "| %-40s | %9s | %9s | %6s | %-22s | %-4s |\n", "web engine before browser shown", w == "" ? "?" : w, "-", "-", "none", w == "none" ? "yes" : "NO" }'
awk -v w="$gst" 'BEGIN { printf "| %-40s | %9s | %9s | %6s | %-22s | %-4s |\n", "GStreamer before first play", w == "" ? "?" : w, "-", "-", "none", w == "none" ? "yes" : "NO" }'
awk -v w="$net" 'BEGIN { printf "| %-40s | %9s | %9s | %6s | %-22s | %-4s |\n", "Qt Network before first search", w == "" ? "?" : w, "-", "-", "none", w == "none" ? "yes" : "NO" }'
row "Find Stations opened, ms (bare window)" "$find_open_ours" "$find_open_bare" "<= 1.5x" - 1.5
row "search -> 100 rows, ms (bare fetch+fill)" "$find_rows_ours" "$find_rows_bare" "<= 2.0x" - 2.0
row "answer -> 100 rows shown, ms" "$find_show_ours" "-" "<= 50 ms" 50 -
row "idle RSS, MiB (bare Qt window)" "$idle_rss_ours" "$idle_rss_bare" "< 60 MiB (target 40)" 60 -
row "idle PSS, MiB (bare Qt window)" "$idle_pss_ours" "$idle_pss_bare" "-" - -
row "URL -> playing, ms (bare playbin)" "$start_ours" "$start_bare" "<= 400 ms, <= 1.10x" 400 1.10
row "launch -> playing, ms (bare playbin)" "$launch_ours" "$start_bare" "-" - -
row "URL -> first decoded audio, ms (bare)" "$audio_ours" "$audio_bare" "<= 1.10x" - 1.10
secs=${BENCH_STREAM_SECONDS:-60}
cpu_goal=$(awk -v s="$secs" 'BEGIN { printf "%.2f", s / 60 }')
row "CPU s per $secs s streaming (bare playbin)" "$cpu_ours" "$cpu_bare" "<= $cpu_goal s, <= 1.20x" "$cpu_goal" 1.20
row "  PulseAudio CPU s meanwhile" "$pulse_ours" "$pulse_bare" "-" - -
row "peak RSS streaming, MiB (bare playbin)" "$peak_ours" "$peak_bare" "<= 50 MiB" 50 -
row "play request -> first sound, ms (${sound_name:-best})" "$sound_ours" "$sound_best" "<= 0.90x best other" - 0.90
row "peak RSS via PulseAudio, MiB (${pulse_peak_name:-best})" "$pulse_peak_ours" "$pulse_peak_best" "<= 45 MiB" 45 -
row "CPU s/min recording (playing alone)" "$rec_ours" "$rec_bare" "<= 1.05x" - 1.05
