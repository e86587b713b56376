#!/bin/bash
# Runs platform_tray_host_tests on a private Xvfb display with a real tray host.
#   run_tray_host_test.sh xembed TESTS            trayer as the host; no session bus, so
#                                                 Qt cannot pick a StatusNotifier host
#   run_tray_host_test.sh statusnotifier TESTS WATCHER
#                                                 a private session bus whose watcher is WATCHER
# Every process started here is stopped by its PID on exit.
set -u
mode=$1 tests=$2 watcher=${3:-}
work=$(mktemp -d /tmp/korvant-trayhost.XXXXXX)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT

wait_until() { # tries (10 ms each), command...
    local tries=$1; shift
    for ((n = 0; n < tries; n++)); do "$@" >/dev/null 2>&1 && return 0; sleep 0.01; done
    return 1
}

# Xvfb picks a free display number itself (-displayfd), so parallel runs never collide.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_until 500 grep -q . "$work/display"
d=$(head -1 "$work/display")
export DISPLAY=":$d"
wait_until 500 xdpyinfo || { echo "Xvfb :$d did not start"; cat "$work/xvfb.log"; exit 1; }

# A bus address that leads nowhere unless this run starts a bus there: nothing may
# autolaunch a bus that outlives the test, or reach the desktop's own tray.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/bus"
case $mode in
xembed)
    trayer --edge top --align right --widthtype pixel --width 120 --heighttype pixel \
        --height 28 --SetDockType true --transparent false >"$work/trayer.log" 2>&1 &
    pids+=($!)
    wait_until 500 xdotool search --class trayer || { echo "trayer did not start"; cat "$work/trayer.log"; exit 1; }
    ;;
statusnotifier)
    dbus-daemon --session --nofork --nopidfile --address="unix:path=$work/bus" \
        >"$work/dbus.log" 2>&1 &
    pids+=($!)
    wait_until 500 test -S "$work/bus" || { echo "dbus-daemon did not start"; exit 1; }
    "$watcher" >"$work/watcher.log" 2>&1 &
    pids+=($!)
    wait_until 500 grep -q ready "$work/watcher.log" || { cat "$work/watcher.log"; exit 1; }
    ;;
*)
    echo "unknown host $mode"; exit 2 ;;
esac

QT_QPA_PLATFORM=xcb KORVANT_TRAY_HOST=$mode "$tests"
rc=$?
[[ $mode == statusnotifier ]] && cat "$work/watcher.log"
exit $rc
