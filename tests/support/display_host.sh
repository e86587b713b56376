# Sourced by the display tests: a private Xvfb display and, when asked, trayer as the
# tray host. The caller sets $work (its private folder) and the array pids, and stops
# every PID in pids on exit.

wait_until() { # tries (10 ms each), command...
    local tries=$1; shift
    for ((n = 0; n < tries; n++)); do "$@" >/dev/null 2>&1 && return 0; sleep 0.01; done
    return 1
}

# bring_up_display [TRAY_WIDTH]
# Starts Xvfb on a display number it picks itself (-displayfd, so parallel runs never
# collide) and exports DISPLAY; with TRAY_WIDTH, also trayer that wide at the top right.
# A display just given up by another test can be handed out again while that server is
# still going away, and a tray host has been seen failing to reach such a display; so a
# set-up that does not come up is started afresh, at most three times. Returns 1 when it
# never came up, after printing the servers' logs.
bring_up_display() {
    local width=${1:-} attempt xvfb trayer_pid=''
    for attempt in 1 2 3; do
        : >"$work/display"
        Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" \
            >"$work/xvfb.log" 2>&1 &
        xvfb=$!
        pids+=("$xvfb")
        if wait_until 500 grep -q . "$work/display"; then
            export DISPLAY=":$(head -1 "$work/display")"
            if wait_until 500 xdpyinfo; then
                [[ -z $width ]] && return 0
                trayer --edge top --align right --widthtype pixel --width "$width" \
                    --heighttype pixel --height 28 --SetDockType true --transparent false \
                    >"$work/trayer.log" 2>&1 &
                trayer_pid=$!
                pids+=("$trayer_pid")
                wait_until 500 xdotool search --class trayer && return 0
            fi
        fi
        echo "display or tray host did not come up (attempt $attempt):"
        cat "$work/xvfb.log" "$work/trayer.log" 2>/dev/null
        kill $trayer_pid "$xvfb" 2>/dev/null
        wait $trayer_pid "$xvfb" 2>/dev/null
        trayer_pid=''
    done
    return 1
}
