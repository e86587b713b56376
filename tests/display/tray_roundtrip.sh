#!/bin/bash
# The real program in the notification area, end to end, on a private Xvfb display with
# trayer as the tray host, a private PulseAudio null sink and a loopback Icecast stream:
#   send to tray (Tools > Send To Sys Tray)  -> window unmapped, icon embedded in trayer
#   right-click the icon                     -> tray menu mapped
#   Stations > first station                 -> Icecast counts one listener
#   double-click the icon                    -> window mapped again, icon gone
# Usage: tray_roundtrip.sh BIN_DIR STREAM_SERVER_SH COMMUNITY_HOST FERROW_HOST
# Screenshots stay in the run's temp folder (printed at the end). Exit 77: skipped.
set -u
bin=$1 stream_server=$2
for host in "$3" "$4"; do
    case $host in
    127.0.0.1 | localhost) ;;
    *)
        echo "SKIP: this build's web hosts are not loopback ($host); configure with" \
            "-DKORVANT_COMMUNITY_HOST=127.0.0.1 -DKORVANT_FERROW_HOST=127.0.0.1"
        exit 77
        ;;
    esac
done
[[ -x $bin/korvant ]] || { echo "no program at $bin/korvant"; exit 1; }

work=$(mktemp -d /tmp/korvant-display.XXXXXX)
shots=$work/shots
mkdir -p "$shots" "$work/app"
chmod 755 "$work" # Icecast runs as its own user and writes its logs below this folder
pids=()
passed=0
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
    bash "$stream_server" stop "$work/stream" >/dev/null 2>&1
    if ((passed)); then
        find "$work" -mindepth 1 -maxdepth 1 ! -name shots -exec rm -rf {} +
    fi
    echo "screenshots and logs: $work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    import -window root "$shots/failure.png" 2>/dev/null
    echo "--- program output"; cat "$work/korvant.log" 2>/dev/null
    exit 1
}
source "$(dirname "$0")/../support/display_host.sh"
# A screenshot once the screen has stopped changing (two captures in a row alike, for
# at most about ten tries), so that a window just mapped has been painted.
shot() {
    local last='' now n
    for ((n = 0; n < 10; n++)); do
        now=$(import -window root rgb:- 2>/dev/null | md5sum)
        [[ $now == "$last" ]] && break
        last=$now
    done
    import -window root "$shots/$1.png"
}

# --- display, tray host, sound sink, stream --------------------------------------------
# No session bus: nothing may autolaunch one that outlives the test, and Qt keeps to the
# XEmbed tray that trayer provides.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-session-bus"
bring_up_display 160 || fail "display or tray host did not start"
panel=$(xdotool search --class trayer | while read -r w; do
    xwininfo -id "$w" | grep -q 'xwininfo: Window id: .* "panel"' && echo "$w"; done | head -1)
[[ -n $panel ]] || fail "no trayer panel"

export PULSE_SERVER="unix:$work/pulse.sock"
pulseaudio --daemonize=no --exit-idle-time=-1 -n --use-pid-file=no --disallow-exit \
    --load="module-null-sink sink_name=nullsink rate=44100 channels=2" \
    --load="module-native-protocol-unix socket=$work/pulse.sock auth-anonymous=1" \
    >"$work/pulse.log" 2>&1 &
pids+=($!)
wait_until 500 test -S "$work/pulse.sock" || fail "PulseAudio did not start"

port=$(bash "$stream_server" start "$work/stream" 4) || fail "stream server did not start"
station="http://127.0.0.1:$port/live.mp3"
# The first <listeners> after the mount's opening tag.
mp3_listeners() {
    curl -s --max-time 2 -u admin:adminpw "http://127.0.0.1:$port/admin/stats" |
        tr -d '\n' | grep -o '<source mount="/live.mp3">.*' | grep -o '<listeners>[0-9]*' |
        head -1 | tr -dc 0-9
}

# --- the program in a folder of its own, with its own data folder ----------------------
for f in "$bin"/*; do [[ $(basename "$f") == Dornel ]] || cp -a "$f" "$work/app/"; done
mkdir "$work/app/Dornel"
cp "$bin/Dornel/stationbanner.jpg" "$work/app/Dornel/" 2>/dev/null
q() { local IFS=,; printf '%s\r\n' "$*"; }
q '"'"$station"'"' '"no"' '"no"' '"Loopback Sine"' '"no"' >"$work/app/Dornel/Drlsets.ini"
names=('"Loopback Sine"') urls=('"'"$station"'"')
for i in 1 2 3 4 5 6 7 8 9; do names+=("\"Spare $i\""); urls+=('""'); done
q "${names[@]}" "${urls[@]}" >"$work/app/Dornel/Dornelfavs.dat"
q '"Links"' '"One"' '"Two"' '"Three"' '"Four"' '"Five"' \
    '"http://127.0.0.1:9/"' '"http://127.0.0.1:9/"' '"http://127.0.0.1:9/"' \
    '"http://127.0.0.1:9/"' '"http://127.0.0.1:9/"' >"$work/app/Dornel/links.dat"

export QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-background-networking"
QT_QPA_PLATFORM=xcb "$work/app/korvant" >"$work/korvant.log" 2>&1 &
app=$!
pids+=($app)
window=""
find_window() {
    window=$(xdotool search --onlyvisible --pid "$app" --name '^Korvant$' 2>/dev/null | head -1)
    [[ -n $window ]]
}
wait_until 3000 find_window || fail "the main window never appeared"
mapped() { xwininfo -id "$1" | grep -q 'Map State: IsViewable'; }
icon_line() { xwininfo -tree -id "$panel" | grep -E '^ +0x[0-9a-f]+ "' | tail -1; }
icon_present() { [[ -n $(icon_line) ]]; }
# Menus are windows of their own: keys meant for a menu are sent only once it is mapped
# (before that the X server hands them to the main window).
visible_windows() { xdotool search --onlyvisible --pid "$app" 2>/dev/null | wc -l; }
more_windows_than() { (($(visible_windows) > $1)); }
wait_until 1000 mapped "$window" || fail "the main window was never mapped"
shot 1-started

# --- send to tray: Tools > Send To Sys Tray --------------------------------------------
eval "$(xdotool getwindowgeometry --shell "$window")"
before=$(visible_windows)
xdotool mousemove $((X + 20)) $((Y + 10)) click 1
wait_until 1000 more_windows_than "$before" || fail "a click on Tools opened no menu"
xdotool key Down Down Down Down Down Return # the fifth entry of Tools
wait_until 1000 bash -c "! xwininfo -id $window | grep -q IsViewable" ||
    fail "the main window is still mapped after Send To Sys Tray"
wait_until 1000 icon_present || fail "no icon embedded in the tray"
shot 2-in-tray
geometry=$(icon_line | grep -oE '[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+ +\+-?[0-9]+\+-?[0-9]+$')
size=${geometry%%+*}
abs=$(echo "$geometry" | awk '{print $2}')
ix=$(echo "$abs" | cut -d+ -f2) iy=$(echo "$abs" | cut -d+ -f3)
cx=$((ix + ${size%x*} / 2)) cy=$((iy + ${size#*x} / 2))
echo "icon at $abs size $size; clicking $cx,$cy"

# --- right-click: the tray menu ----------------------------------------------------------
before=$(visible_windows)
xdotool mousemove "$cx" "$cy" click 3
wait_until 1000 more_windows_than "$before" || fail "right-click on the icon mapped no menu"
shot 3-tray-menu

# --- Stations > first station --------------------------------------------------------------
(($(mp3_listeners) == 0)) || fail "a listener before any station was chosen"
before=$(visible_windows)
xdotool key Down Down Down Down Right
wait_until 1000 more_windows_than "$before" || fail "the Stations sub-menu did not open"
shot 4-stations
xdotool key Return
got_listener() { [[ $(mp3_listeners) == 1 ]]; }
wait_until 3000 got_listener || fail "Icecast counts $(mp3_listeners) listeners, not 1"
shot 5-playing
echo "Icecast counts one listener on /live.mp3"

# --- double-click: back from the tray ------------------------------------------------------
xdotool mousemove "$cx" "$cy" click --repeat 2 --delay 80 1
wait_until 1000 mapped "$window" || fail "double-click did not map the main window again"
wait_until 1000 bash -c "! xwininfo -tree -id $panel | grep -qE '^ +0x[0-9a-f]+ \"'" ||
    fail "the icon is still in the tray after the restore"
shot 6-restored
[[ $(mp3_listeners) == 1 ]] || fail "the stream stopped on restore"
passed=1
echo "PASS"
