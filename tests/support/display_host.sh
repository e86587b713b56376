# Sourced by the display tests: a private Xvfb display and, when asked, trayer as the
# tray host. The caller sets $work (its private folder) and the array pids, and stops
# every PID in pids on exit.

wait_until() { # tries (10 ms each), command...
    local tries=$1; shift
    for ((n = 0; n < tries; n++)); do "$@" >/dev/null 2>&1 && return 0; sleep 0.01; done
    return 1
}

# True once the display in DISPLAY answers and its server (PID) still runs: Xvfb refuses a
# number in use by exiting, and another server may answer on that number meanwhile.
display_answers() {
    kill -0 "$1" 2>/dev/null && xdpyinfo
}

# bring_up_display [TRAY_WIDTH]
# Starts Xvfb on a display number drawn at random from a wide range and exports DISPLAY;
# with TRAY_WIDTH, also trayer that wide at the top right. Not the lowest free number
# (-displayfd): that one is the number another test has just given up, and a server still
# going away removes its socket after the new one made it, so the program lost its
# display. A number in use makes Xvfb exit at once; a set-up that does not come up is
# started afresh, at most three times. Returns 1 when it never came up, after printing
# the servers' logs.
bring_up_display() {
    local width=${1:-} attempt xvfb trayer_pid=''
    for attempt in 1 2 3; do
        local number=$((200 + (RANDOM * 32768 + RANDOM) % 60000))
        Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
        xvfb=$!
        pids+=("$xvfb")
        export DISPLAY=":$number"
        if wait_until 500 display_answers "$xvfb"; then
            [[ -z $width ]] && return 0
            trayer --edge top --align right --widthtype pixel --width "$width" \
                --heighttype pixel --height 28 --SetDockType true --transparent false \
                >"$work/trayer.log" 2>&1 &
            trayer_pid=$!
            pids+=("$trayer_pid")
            wait_until 500 xdotool search --class trayer && return 0
        fi
        echo "display or tray host did not come up (attempt $attempt):"
        cat "$work/xvfb.log" "$work/trayer.log" 2>/dev/null
        kill $trayer_pid "$xvfb" 2>/dev/null
        wait $trayer_pid "$xvfb" 2>/dev/null
        trayer_pid=''
    done
    return 1
}
