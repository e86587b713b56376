#!/bin/bash
# The real program as a media player on a private session bus, driven by playerctl, with a
# loopback Icecast stream and a private PulseAudio null sink:
#   play (nothing chosen)   -> the first favourite with an address plays: one MP3 listener
#   server sets a title     -> playerctl metadata shows it, the station as artist
#   play-pause twice        -> Paused, then Playing again
#   stop                    -> Stopped, the server counts no listener
#   next, next, previous    -> Ogg (an empty slot skipped), MP3 (wrapped), Ogg (wrapped back)
#   volume 0.3              -> the player reports 0.30
#   Quit                    -> the program ends
# Usage: mpris_playerctl.sh BIN_DIR STREAM_SERVER_SH COMMUNITY_HOST FERROW_HOST
# Exit 77: skipped.
set -u
bin=$1 stream_server=$2
for host in "$3" "$4"; do
    case $host in
    127.0.0.1 | localhost) ;;
    *)
        echo "SKIP: this build's web hosts are not loopback ($host)"
        exit 77
        ;;
    esac
done
command -v playerctl >/dev/null || { echo "SKIP: playerctl is not installed"; exit 77; }
[[ -x $bin/korvant ]] || { echo "no program at $bin/korvant"; exit 1; }

work=$(mktemp -d /tmp/korvant-mpris.XXXXXX)
mkdir -p "$work/app"
chmod 755 "$work" # Icecast runs as its own user and writes its logs below this folder
pids=()
app=""
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
    bash "$stream_server" stop "$work/stream" >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    echo "--- program output"; cat "$work/korvant.log" 2>/dev/null
    exit 1
}
wait_until() { # tries (10 ms each), command...
    local tries=$1; shift
    for ((n = 0; n < tries; n++)); do "$@" >/dev/null 2>&1 && return 0; sleep 0.01; done
    return 1
}

# --- a session bus of our own: nothing on it can be activated -------------------------
cat >"$work/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$work/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
dbus-daemon --config-file="$work/bus.conf" --nofork --nopidfile >"$work/dbus.log" 2>&1 &
pids+=($!)
wait_until 500 test -S "$work/bus" || fail "dbus-daemon did not start"
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/bus"
export XDG_CACHE_HOME="$work/cache"

export PULSE_SERVER="unix:$work/pulse.sock"
pulseaudio --daemonize=no --exit-idle-time=-1 -n --use-pid-file=no --disallow-exit \
    --load="module-null-sink sink_name=nullsink rate=44100 channels=2" \
    --load="module-native-protocol-unix socket=$work/pulse.sock auth-anonymous=1" \
    >"$work/pulse.log" 2>&1 &
pids+=($!)
wait_until 500 test -S "$work/pulse.sock" || fail "PulseAudio did not start"

port=$(bash "$stream_server" start "$work/stream" 4) || fail "stream server did not start"
listeners() { # MOUNT: the first <listeners> after the mount's opening tag
    curl -s --max-time 2 -u admin:adminpw "http://127.0.0.1:$port/admin/stats" |
        tr -d '\n' | grep -o "<source mount=\"$1\">.*" | grep -o '<listeners>[0-9]*' |
        head -1 | tr -dc 0-9
}
listening() { [[ $(listeners /live.mp3) == "$1" && $(listeners /live.ogg) == "$2" ]]; }

# --- the program in a folder of its own: slots 1 and 3 have addresses, 2 has none -------
for f in "$bin"/*; do [[ $(basename "$f") == Dornel ]] || cp -a "$f" "$work/app/"; done
mkdir "$work/app/Dornel"
q() { local IFS=,; printf '%s\r\n' "$*"; }
mp3="http://127.0.0.1:$port/live.mp3" ogg="http://127.0.0.1:$port/live.ogg"
q '"'"$mp3"'"' '"no"' '"no"' '"Loopback MP3"' '"no"' >"$work/app/Dornel/Drlsets.ini"
names=('"Loopback MP3"' '"Nowhere"' '"Loopback Ogg"') urls=('"'"$mp3"'"' '""' '"'"$ogg"'"')
for i in 3 4 5 6 7 8 9; do names+=('""'); urls+=('""'); done
q "${names[@]}" "${urls[@]}" >"$work/app/Dornel/Dornelfavs.dat"
q '"Links"' '"One"' '"Two"' '"Three"' '"Four"' '"Five"' \
    '"http://127.0.0.1:9/"' '"http://127.0.0.1:9/"' '"http://127.0.0.1:9/"' \
    '"http://127.0.0.1:9/"' '"http://127.0.0.1:9/"' >"$work/app/Dornel/links.dat"

QT_QPA_PLATFORM=offscreen "$work/app/korvant" >"$work/korvant.log" 2>&1 &
app=$!
pids+=($app)

pc() { playerctl --player=KorvantLite "$@" 2>/dev/null; }
is() { [[ $(pc "${@:2}") == "$1" ]]; }
wait_until 1000 is Stopped status || fail "playerctl never found the program (status: $(pc status))"

# --- play with nothing chosen: the first favourite --------------------------------------
pc play
wait_until 1000 listening 1 0 || fail "play: listeners mp3=$(listeners /live.mp3) ogg=$(listeners /live.ogg)"
wait_until 1000 is Playing status || fail "play: status $(pc status)"
is "Loopback MP3" metadata xesam:artist || fail "artist: $(pc metadata xesam:artist)"
echo "play: the first favourite streams"

bash "$stream_server" set_title "$work/stream" "Sine & Friends"
wait_until 1500 is "Sine & Friends" metadata xesam:title ||
    fail "title: '$(pc metadata xesam:title)' after the server set one"
[[ $(pc metadata mpris:artUrl) == file://* ]] || fail "artUrl: $(pc metadata mpris:artUrl)"
echo "metadata: $(pc metadata --format '{{title}} / {{artist}} / {{xesam:url}}')"

# --- play-pause, stop --------------------------------------------------------------------
pc play-pause
wait_until 1000 is Paused status || fail "play-pause: status $(pc status)"
pc play-pause
wait_until 1000 is Playing status || fail "play-pause again: status $(pc status)"
pc stop
wait_until 1000 is Stopped status || fail "stop: status $(pc status)"
wait_until 1000 listening 0 0 || fail "stop: listeners mp3=$(listeners /live.mp3)"
echo "play-pause and stop: Paused, Playing, Stopped with no listener"

# --- next and previous through the favourites with an address, wrapping ----------------
pc next
wait_until 1000 listening 0 1 || fail "next: mp3=$(listeners /live.mp3) ogg=$(listeners /live.ogg)"
wait_until 500 is "Loopback Ogg" metadata xesam:artist || fail "next: $(pc metadata xesam:artist)"
pc next
wait_until 1000 listening 1 0 || fail "next (wrap): mp3=$(listeners /live.mp3) ogg=$(listeners /live.ogg)"
pc previous
wait_until 1000 listening 0 1 || fail "previous (wrap): mp3=$(listeners /live.mp3) ogg=$(listeners /live.ogg)"
echo "next, next, previous: Ogg, MP3, Ogg"

# --- volume ------------------------------------------------------------------------------
pc volume 0.3
wait_until 500 is 0.300000 volume || fail "volume: $(pc volume)"
echo "volume: $(pc volume)"

# --- quit --------------------------------------------------------------------------------
dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.KorvantLite \
    /org/mpris/MediaPlayer2 org.mpris.MediaPlayer2.Quit >/dev/null || fail "Quit was not answered"
wait_until 1000 bash -c "! kill -0 $app" || fail "the program is still running after Quit"
wait "$app"
rc=$?
[[ $rc == 0 ]] || fail "the program ended with $rc after Quit"
echo "PASS"
