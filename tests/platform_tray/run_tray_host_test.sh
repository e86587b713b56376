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

source "$(dirname "$0")/../support/display_host.sh"

# A bus address that leads nowhere unless this run starts a bus there: nothing may
# autolaunch a bus that outlives the test, or reach the desktop's own tray.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/bus"

if [[ $mode == xembed ]]; then
    bring_up_display 120 || exit 1
else
    bring_up_display || exit 1
fi

case $mode in
xembed) ;; # trayer is up already
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
