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

# A bus address that leads nowhere unless this run starts a bus there: nothing may
# autolaunch a bus that outlives the test, or reach the desktop's own tray.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/bus"

# Xvfb picks a free display number itself (-displayfd), so parallel runs never collide.
start_display() {
    : >"$work/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    pids+=("$xvfb_pid")
    wait_until 500 grep -q . "$work/display" || return 1
    d=$(head -1 "$work/display")
    export DISPLAY=":$d"
    wait_until 500 xdpyinfo
}

start_trayer() {
    trayer --edge top --align right --widthtype pixel --width 120 --heighttype pixel \
        --height 28 --SetDockType true --transparent false >"$work/trayer.log" 2>&1 &
    trayer_pid=$!
    pids+=("$trayer_pid")
    wait_until 500 xdotool search --class trayer
}

# A tray host has been seen, once, failing to open a display that had only just started;
# a fresh display and host then come up, so the set-up is tried up to three times.
xvfb_pid='' trayer_pid=''
for attempt in 1 2 3; do
    if start_display && { [[ $mode != xembed ]] || start_trayer; }; then
        break
    fi
    echo "display or tray host did not come up (attempt $attempt):"
    cat "$work/xvfb.log" "$work/trayer.log" 2>/dev/null
    kill $trayer_pid $xvfb_pid 2>/dev/null
    wait $trayer_pid $xvfb_pid 2>/dev/null
    trayer_pid=''
    ((attempt < 3)) || exit 1
done

case $mode in
xembed)
    ;; # trayer is up already
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
