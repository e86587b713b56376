#!/usr/bin/env bash
# Soak: the GStreamer player (bench/soak/soak_player) on a live loopback MP3 mount for
# MINUTES, while the stream's title changes every second and the server is stopped and
# started again every SOAK_RESTART_MINUTES (default 5). The player's state, memory and
# decoded audio are sampled every ten seconds. At the end it says whether the player kept
# playing (playing, with the tone in its decoded audio, at the end and after every restart)
# and how much its RSS grew after the first minute. Goal: growth < 2 MiB.
#   bench/soak/soak.sh [MINUTES=30] [BUILD_DIR=build-bench]
# Exits non-zero when the player stopped playing or the memory goal was missed.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
minutes=${1:-30}
build=$(cd "${2:-$here/build-bench}" && pwd)
restart_minutes=${SOAK_RESTART_MINUTES:-5}
driver=$build/bench/soak/soak_player
[ -x "$driver" ] || { echo "$driver is not built (cmake --build $build --target soak_player)" >&2; exit 2; }

# Run as a command, not sourced: its functions are written for a shell without pipefail.
server_script=$here/tests/support/stream_server.sh
stream_server_start() { bash "$server_script" start "$@"; }
stream_server_stop() { bash "$server_script" stop "$@"; }
stream_server_set_title() { bash "$server_script" set_title "$@"; }
work=$(mktemp -d)
chmod 755 "$work" # Icecast drops to its own user, which must reach its log folder below
driver_pid=""
cleanup() {
    [ -n "$driver_pid" ] && kill "$driver_pid" 2>/dev/null && wait "$driver_pid" 2>/dev/null
    stream_server_stop "$work/server"
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A busy machine can make the sources miss the start-up wait: a few tries.
start_server() { # BURST_SECONDS
    local try
    for try in 1 2 3; do
        stream_server_start "$work/server" "$1" && return 0
        echo "stream server start failed (try $try)" >&2
    done
    return 1
}
port=$(start_server 4) || { echo "stream server failed" >&2; exit 1; }
echo "soak: ${minutes} min on http://127.0.0.1:$port/live.mp3, title every 1 s, server restart every ${restart_minutes} min"
"$driver" "http://127.0.0.1:$port/live.mp3" "$work/audio.raw" $((minutes * 60)) >"$work/samples" &
driver_pid=$!

start=$(date +%s)
next_restart=$((start + restart_minutes * 60))
restarts=0
n=0
while kill -0 "$driver_pid" 2>/dev/null; do
    now=$(date +%s)
    if [ "$now" -ge "$next_restart" ] && [ $((now - start)) -lt $((minutes * 60 - 60)) ]; then
        echo "$(date +%T) server restart"
        echo "restart $((now - start))" >>"$work/samples"
        stream_server_stop "$work/server"
        start_server 0 >/dev/null || { echo "server did not come back" >&2; exit 1; }
        restarts=$((restarts + 1))
        next_restart=$((next_restart + restart_minutes * 60))
    fi
    n=$((n + 1))
    stream_server_set_title "$work/server" "Soak title $n" || true
    sleep 1
done
wait "$driver_pid" || { echo "soak_player failed" >&2; exit 1; }
driver_pid=""

# One line a sample as it went, then the verdict.
grep '^sample' "$work/samples" | awk '{printf "  %5ds state %2d rss %6.1f MiB audio %4.1f s tone %.2f titles %d\n", $2, $4, $6/1024, $8, $10, $12}'
awk -v restarts="$restarts" '
    /^restart/ { pending = 1; next }
    /^sample/ {
        t = $2; state = $4; rss = $6; audio = $8; tone = $10; titles = $12
        ok = (state == 3 && tone > 0.5 && audio > 5)
        if (pending && ok) { pending = 0 }
        if (!ok) { gaps++; if (++run > longest) longest = run } else run = 0
        if (t >= 60 && base == "") base = rss
        last = rss; lastok = ok; if (rss > peak) peak = rss
        if (base != "") { if (min == "" || rss < min) min = rss }
    }
    END {
        kept = lastok && !pending
        growth = (last - base) / 1024
        printf "kept playing: %s (samples without audio: %d, longest gap %d s, restarts %d, title changes seen %d)\n", kept ? "yes" : "NO", gaps, longest * 10, restarts, titles
        printf "RSS after 1 min %.1f MiB, at the end %.1f MiB, peak %.1f MiB: growth %.2f MiB (goal < 2)\n", base / 1024, last / 1024, peak / 1024, growth
        exit !(kept && growth < 2)
    }' "$work/samples"
