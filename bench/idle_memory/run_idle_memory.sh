#!/usr/bin/env bash
# Idle memory: the program (a temporary copy, with its own data folder whose start-up
# options are both off, so it neither plays nor goes to the tray) and the bare Qt window of
# the start-up benchmark, each launched ROUNDS times, interleaved, under a private Xvfb.
# Two seconds after a program's window is mapped, RSS and PSS are summed over it and every
# process below it (/proc/PID/smaps_rollup). Prints every sample, then one line per program:
#   idle <name> rss_mib <median> pss_mib <median>
# Goal: the program under 60 MiB RSS with the browser never opened.
#   bench/idle_memory/run_idle_memory.sh BUILD_DIR [ROUNDS=5]
set -euo pipefail

if [ -z "${DISPLAY:-}" ] || [ "${1:-}" != --under-x ]; then
    build=$(cd "${1:?usage: $0 BUILD_DIR [ROUNDS]}" && pwd)
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --under-x "$build" "${2:-5}"
fi
build=$2
rounds=$3
command -v xdotool >/dev/null || { echo "xdotool is not installed" >&2; exit 2; }
[ -x "$build/bin/korvant" ] || { echo "$build/bin/korvant is not built" >&2; exit 2; }
[ -x "$build/bench/startup/startup_bare_window" ] ||
    { echo "$build/bench/startup/startup_bare_window is not built" >&2; exit 2; }

work=$(mktemp -d)
child=""
cleanup() {
    [ -n "$child" ] && kill "$child" 2>/dev/null && wait "$child" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# The program finds its data folder beside its own file: a copy keeps the build's own
# settings untouched. A loopback favourite, so that nothing here could reach another host.
cp -a "$build/bin/." "$work/"
printf '"http://127.0.0.1:9/none.mp3","no","no","Idle","no"\r\n' >"$work/Dornel/Drlsets.ini"
export QT_QPA_PLATFORM=xcb

descendants() { # PID: the PID and every process below it
    local p
    echo "$1"
    for p in $(pgrep -P "$1" || true); do descendants "$p"; done
}

# Sums Rss and Pss (KiB) over the given PIDs into $rss and $pss.
memory() {
    local p r s
    rss=0
    pss=0
    for p in "$@"; do
        read -r r s < <(awk '/^Rss:/{r=$2} /^Pss:/{s=$2} END{print r+0, s+0}' \
            "/proc/$p/smaps_rollup" 2>/dev/null || echo "0 0")
        rss=$((rss + r))
        pss=$((pss + s))
    done
}

measure() { # NAME PROGRAM: sets $rss and $pss (KiB), or fails when no window appears
    local name=$1 program=$2 n
    "$program" >"$work/$name.out" 2>&1 &
    child=$!
    for n in $(seq 1 400); do
        xdotool search --onlyvisible --pid "$child" >/dev/null 2>&1 && break
        kill -0 "$child" 2>/dev/null || {
            echo "$name exited before showing a window:" >&2
            cat "$work/$name.out" >&2
            return 1
        }
        sleep 0.05
    done
    [ "$n" -lt 400 ] || { echo "$name: no window within 20 s" >&2; return 1; }
    sleep 2
    # shellcheck disable=SC2046
    memory $(descendants "$child")
    kill "$child"
    wait "$child" 2>/dev/null || true
    child=""
}

median() { sort -n | awk '{v[NR]=$1} END{if (NR%2) print v[(NR+1)/2]; else print (v[NR/2]+v[NR/2+1])/2}'; }

: >"$work/korvant.samples"
: >"$work/bare.samples"
for round in $(seq 1 "$rounds"); do
    for name in korvant bare; do
        if [ $name = korvant ]; then program=$work/korvant; else
            program=$build/bench/startup/startup_bare_window; fi
        # A launch that dies before its window shows is reported and tried again, twice.
        measure "$name" "$program" || measure "$name" "$program" ||
            measure "$name" "$program" || exit 1
        echo "$rss $pss" >>"$work/$name.samples"
        awk -v r="$round" -v n="$name" -v a="$rss" -v b="$pss" \
            'BEGIN{printf "round %d %-8s rss %6.1f MiB  pss %6.1f MiB\n", r, n, a/1024, b/1024}'
    done
done
for name in korvant bare; do
    rss=$(cut -d' ' -f1 "$work/$name.samples" | median)
    pss=$(cut -d' ' -f2 "$work/$name.samples" | median)
    awk -v n="$name" -v a="$rss" -v b="$pss" \
        'BEGIN{printf "idle %s rss_mib %.1f pss_mib %.1f\n", n, a/1024, b/1024}'
done
