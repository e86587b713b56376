#!/usr/bin/env bash
# First sound and streaming memory through the sound server: the program beside mpv,
# goodvibes and a bare gst-launch playbin, all on one loopback Icecast 128 kbps live MP3
# mount, into one private PulseAudio null sink, under one private Xvfb and session bus.
#
#   bench/first_sound/run_first_sound.sh BUILD_DIR [ROUNDS=5] [SECONDS=60]
#
# Play request -> first sound, ROUNDS rounds with the players interleaved. Each player is
# started and left until it is idle (its window mapped, or its control socket or bus name
# there, then 1 s more); a recorder is connected to the null sink's monitor
# (parec --latency-msec=10) and left 2 s, because an idle null sink renders in 2 s blocks;
# then the play request, and the time until the recorder reads its first non-silent sample:
#   ours       a click on the default favourite's name (xdotool, window idle)
#   mpv        "loadfile" over its --input-ipc-server socket (started --idle, no config)
#   goodvibes  goodvibes-client play URL, over the private session bus (with its window)
#   playbin    gst-launch-1.0 playbin uri=URL: its launch is its request
# Peak memory: each player started, asked to play, left streaming SECONDS seconds after its
# first sound, then the VmHWM of its process.
#
# Prints every sample, then
#   first_sound_ms ours N mpv N goodvibes N playbin N best NAME N ratio R
#   peak_rss_mib   ours N mpv N goodvibes N playbin N best NAME N ratio R
# Goals: first sound <= 0.9x the best other player, peak RSS <= 45 MiB.
# Every player is pointed at 127.0.0.1 only; mpv runs without its configuration or ytdl.
# BENCH_FIRST_SOUND_PLAYERS chooses and orders the players (default "ours mpv goodvibes
# playbin"); BENCH_FIRST_SOUND_MEMORY=0 skips the streaming memory runs.
# BENCH_FIRST_SOUND_BEFORE=OTHER_BUILD_DIR adds the program of another build as the player
# "before" (measured like ours, interleaved, never counted as the best other player), for
# a before/after comparison in one run.
set -euo pipefail

if [ -z "${DISPLAY:-}" ] || [ "${1:-}" != --under-x ]; then
    build=$(cd "${1:?usage: $0 BUILD_DIR [ROUNDS] [SECONDS]}" && pwd)
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --under-x "$build" "${2:-5}" "${3:-60}"
fi
build=$2
rounds=$3
seconds=$4
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
tool=$build/bench/first_sound/first_sound_tool
players=${BENCH_FIRST_SOUND_PLAYERS:-ours mpv goodvibes playbin}
before=""
if [ -n "${BENCH_FIRST_SOUND_BEFORE:-}" ]; then
    before=$(cd "$BENCH_FIRST_SOUND_BEFORE" && pwd)
    [ -x "$before/bin/korvant" ] || { echo "$before/bin/korvant is not built" >&2; exit 2; }
    case " $players " in *" before "*) ;; *) players="before $players" ;; esac
fi
for need in xdotool parec pulseaudio dbus-daemon mpv goodvibes goodvibes-client gst-launch-1.0; do
    command -v "$need" >/dev/null || { echo "$need is not installed" >&2; exit 2; }
done
case " $players " in *" ours "*) [ -x "$build/bin/korvant" ] ||
    { echo "$build/bin/korvant is not built" >&2; exit 2; } ;; esac
[ -x "$tool" ] || { echo "$tool is not built" >&2; exit 2; }

work=$(mktemp -d)
chmod 755 "$work" # Icecast drops to its own user, which must reach its folder
pids=()      # everything started here, stopped by PID at the end
player=""    # the player under measurement
window=""    # the program's window, while the program is the player
recorder=()  # parec and the listener of the current measurement
stop_pid() { # PID: SIGTERM, then SIGKILL after 3 s; waits for it
    local p=$1 n
    kill "$p" 2>/dev/null || return 0
    for n in $(seq 1 60); do kill -0 "$p" 2>/dev/null || break; sleep 0.05; done
    kill -9 "$p" 2>/dev/null || true
    wait "$p" 2>/dev/null || true
}
stop_recorder() {
    local p
    for p in "${recorder[@]}"; do stop_pid "$p"; done
    recorder=()
}
cleanup() {
    local p
    stop_recorder
    [ -n "$player" ] && stop_pid "$player"
    for p in "${pids[@]}"; do stop_pid "$p"; done
    [ -d "$work/icecast" ] && "$here/../../tests/support/stream_server.sh" stop "$work/icecast"
    rm -rf "$work"
}
trap cleanup EXIT

# A private home, runtime folder, session bus and sound server for every player.
mkdir -p "$work/home" "$work/run" "$work/pulse"
chmod 700 "$work/run"
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/home/.config
export XDG_DATA_HOME=$work/home/.local/share XDG_CACHE_HOME=$work/home/.cache
export GSETTINGS_BACKEND=memory QT_QPA_PLATFORM=xcb NO_AT_BRIDGE=1
export GST_REGISTRY=$work/gst-registry.bin
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
dbus-daemon --session --nofork --address="unix:path=$work/bus.sock" >/dev/null 2>&1 &
pids+=($!)
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/bus.sock
export PULSE_SERVER=unix:$work/pulse/pulse.sock
pulseaudio --daemonize=no --exit-idle-time=-1 -n --use-pid-file=no --disallow-exit \
    --load="module-null-sink sink_name=nullsink rate=44100 channels=2" \
    --load="module-native-protocol-unix socket=$work/pulse/pulse.sock auth-anonymous=1" \
    >"$work/pulse.log" 2>&1 &
pids+=($!)
for n in $(seq 1 100); do [ -S "$work/pulse/pulse.sock" ] && break; sleep 0.05; done
[ -S "$work/pulse/pulse.sock" ] || { echo "PulseAudio did not start" >&2; exit 1; }
for n in $(seq 1 100); do [ -S "$work/bus.sock" ] && break; sleep 0.05; done
# A registry of one's own, made once before the runs, as a user's would be.
gst-inspect-1.0 >/dev/null 2>&1 || true

port=$("$here/../../tests/support/stream_server.sh" start "$work/icecast" 4)
url=http://127.0.0.1:$port/live.mp3
echo "stream: $url; $rounds rounds; $seconds s streaming; players: $players"

# The program: a copy with its own data folder whose default favourite is the stream,
# neither played nor sent to the tray at start-up.
mkdir -p "$work/korvant/Dornel"
[ -d "$build/bin" ] && cp -a "$build/bin/." "$work/korvant/"
printf '"%s","no","no","Loopback","no"\r\n' "$url" >"$work/korvant/Dornel/Drlsets.ini"
if [ -n "$before" ]; then
    mkdir -p "$work/before/Dornel"
    cp -a "$before/bin/." "$work/before/"
    cp "$work/korvant/Dornel/Drlsets.ini" "$work/before/Dornel/"
fi
# goodvibes: one station, the stream; nothing played at start-up.
mkdir -p "$XDG_DATA_HOME/goodvibes"
cat >"$XDG_DATA_HOME/goodvibes/stations.xml" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<Stations>
  <Station>
    <uri>$url</uri>
    <name>Loopback</name>
  </Station>
</Stations>
EOF

wait_for() { # TRIES COMMAND...: polls every 50 ms
    local tries=$1 n
    shift
    for n in $(seq 1 "$tries"); do
        "$@" >/dev/null 2>&1 && return 0
        [ -n "$player" ] && ! kill -0 "$player" 2>/dev/null && return 1
        sleep 0.05
    done
    return 1
}
window_of() { xdotool search --onlyvisible --pid "$1" 2>/dev/null | head -1; }

# Starts player $1 and waits until it is idle; sets $player.
launch() {
    local name=$1 log=$work/$1.log
    case $name in
    ours | before)
        local program=$work/korvant/korvant
        [ "$name" = before ] && program=$work/before/korvant
        "$program" >"$log" 2>&1 &
        player=$!
        wait_for 400 window_of "$player" || return 1
        window=$(window_of "$player")
        ;;
    mpv)
        rm -f "$work/mpv.sock"
        mpv --no-config --ytdl=no --idle=yes --no-video --no-terminal --ao=pulse \
            --input-ipc-server="$work/mpv.sock" >"$log" 2>&1 &
        player=$!
        wait_for 400 test -S "$work/mpv.sock" || return 1
        ;;
    goodvibes)
        goodvibes >"$log" 2>&1 &
        player=$!
        wait_for 400 window_of "$player" || return 1
        wait_for 400 goodvibes-client is-running || return 1
        ;;
    playbin)
        player=""
        return 0
        ;;
    esac
    sleep 1
}

# Sends player $1 its play request (starting it, for the bare pipeline).
request() {
    case $1 in
    ours | before)
        # The default favourite's name: the main panel is at (8, 112) px of the window's
        # client area, below the menu bar, and the name at (112, 25) px within it. (The
        # window was looked up at the launch: the search is no part of the request.)
        xdotool mousemove --window "$window" 150 "$((112 + 25 + 10 + menubar))" click 1
        ;;
    mpv) "$tool" send "$work/mpv.sock" "{\"command\":[\"loadfile\",\"$url\"]}" >>"$work/mpv.log" ;;
    goodvibes) goodvibes-client play "$url" >>"$work/goodvibes.log" 2>&1 ;;
    playbin)
        gst-launch-1.0 -q playbin uri="$url" >"$work/playbin.log" 2>&1 &
        player=$!
        ;;
    esac
}

# Connects a recorder to the monitor; returns once it reads, and 2 s later.
listen() {
    rm -f "$work/rec.fifo" "$work/rec.out"
    mkfifo "$work/rec.fifo"
    "$tool" listen "$((seconds + 60))" <"$work/rec.fifo" >"$work/rec.out" &
    recorder+=($!)
    parec --device=nullsink.monitor --raw --format=s16le --channels=1 --rate=44100 \
        --latency-msec=10 >"$work/rec.fifo" 2>>"$work/parec.log" &
    recorder+=($!)
    wait_for 200 grep -q ready "$work/rec.out" || return 1
    sleep 2
}

# Sets $ms to the milliseconds from the request to the first sound; fails after 20 s.
# (Not in a subshell: the request may start the player, whose PID is kept.)
first_sound() { # NAME
    local t0 n
    ms=""
    listen || return 1
    t0=$("$tool" now)
    request "$1"
    for n in $(seq 1 2000); do
        grep -q '^sound ' "$work/rec.out" && break
        sleep 0.01
    done
    grep -q '^sound ' "$work/rec.out" || return 1
    ms=$(awk -v t0="$t0" '/^sound /{printf "%.1f\n", ($2 - t0) / 1000; exit}' "$work/rec.out")
}

finish() {
    stop_recorder
    [ -n "$player" ] && stop_pid "$player"
    player=""
}

# The menu bar's height, from a first launch of the program: the window is its client
# area (4935 twips, 329 px) and the menu bar above it.
case " $players " in *" ours "*)
    launch ours || { echo "the program showed no window" >&2; cat "$work/ours.log" >&2; exit 1; }
    height=$(xdotool getwindowgeometry "$(window_of "$player")" |
        sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p')
    menubar=$((height - 329))
    echo "program window height $height px, menu bar $menubar px"
    finish
    ;;
esac

median() { sort -n | awk '{v[NR]=$1} END{if (!NR) print ""; else if (NR%2) print v[(NR+1)/2]; else print (v[NR/2]+v[NR/2+1])/2}'; }

for name in $players; do : >"$work/$name.first"; : >"$work/$name.peak"; done
for round in $(seq 1 "$rounds"); do
    for name in $players; do
        ms=""
        for try in 1 2 3; do # a launch or request that fails is reported and tried again
            if launch "$name" && first_sound "$name"; then break; fi
            echo "round $round $name: try $try failed" >&2
            tail -5 "$work/$name.log" >&2 || true
            ms=""
            finish
        done
        finish
        [ -n "$ms" ] || { echo "$name never played" >&2; exit 1; }
        echo "$ms" >>"$work/$name.first"
        printf 'round %d %-10s first sound %7.1f ms\n' "$round" "$name" "$ms"
    done
done

if [ "${BENCH_FIRST_SOUND_MEMORY:-1}" != 0 ]; then
    for name in $players; do
        launch "$name" && first_sound "$name" || { echo "$name never played" >&2; exit 1; }
        sleep "$seconds"
        kill -0 "$player" || { echo "$name stopped while streaming" >&2; exit 1; }
        awk '/^VmHWM:/{printf "%.1f\n", $2 / 1024}' "/proc/$player/status" >"$work/$name.peak"
        printf '%-10s peak RSS over %d s streaming %6.1f MiB\n' "$name" "$seconds" \
            "$(cat "$work/$name.peak")"
        finish
    done
fi

summary() { # LABEL SUFFIX
    local name line="$1" best="" bestname="" ours="" v
    for name in $players; do
        [ "$name" = before ] && continue # on a line of its own below
        v=$(median <"$work/$name.$2")
        line="$line $name ${v:-?}"
        [ "$name" = ours ] && { ours=$v; continue; }
        [ -n "$v" ] || continue
        if [ -z "$best" ] || awk -v a="$v" -v b="$best" 'BEGIN{exit !(a < b)}'; then
            best=$v
            bestname=$name
        fi
    done
    awk -v l="$line" -v n="$bestname" -v b="$best" -v o="$ours" 'BEGIN{
        printf "%s best %s %s ratio %s\n", l, n == "" ? "-" : n, b == "" ? "-" : b,
            (b + 0 > 0 && o != "") ? sprintf("%.2f", o / b) : "-" }'
    if [ -n "$before" ]; then
        v=$(median <"$work/before.$2")
        awk -v b="$best" -v o="$v" 'BEGIN{ printf "  (before: %s ratio %s)\n", o,
            (b + 0 > 0 && o != "") ? sprintf("%.2f", o / b) : "-" }'
    fi
}
echo
summary first_sound_ms first
[ "${BENCH_FIRST_SOUND_MEMORY:-1}" != 0 ] && summary peak_rss_mib peak
echo "goals: first sound <= 0.90x the best other player; peak RSS <= 45 MiB"
