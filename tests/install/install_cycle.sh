#!/bin/bash
# tools/korvant.sh install / uninstall for one user, end to end, into a private HOME with
# its own XDG_DATA_HOME, from an existing build folder:
#   install     -> program, modules and Dornel in ~/.local/opt/korvant-lite; launcher,
#                  icons (16..256 px and scalable) and metainfo under XDG_DATA_HOME, all
#                  passing desktop-file-validate and appstreamcli validate
#   the launcher's Exec -> the installed program starts, maps its window on a private
#                  Xvfb display, and its window class is the launcher's StartupWMClass
#   reinstall   -> a changed Dornel file is kept, a removed one comes back
#   uninstall   -> everything install wrote is gone, Dornel is kept
#   uninstall --purge -> Dornel and the program's folder are gone too
# Usage: install_cycle.sh SOURCE_DIR BUILD_DIR. Exit 77: skipped.
set -u
src=$1 build=$2
for tool in desktop-file-validate appstreamcli Xvfb xdotool xprop identify; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
[[ -x $build/bin/korvant ]] || { echo "no program at $build/bin/korvant"; exit 1; }

work=$(mktemp -d /tmp/korvant-install.XXXXXX)
pids=()
passed=0
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
    if ((passed)); then rm -rf "$work"; else echo "files kept in $work"; fi
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    echo "--- program output"; cat "$work/korvant.log" 2>/dev/null
    exit 1
}
source "$src/tests/support/display_host.sh"

# The user's own folders only: nothing here may touch the real user's.
home="$work/home of a user" # a space, as home folders may have
# A build that compiles through ccache keeps its cache where it was, not in the new HOME.
if command -v ccache >/dev/null; then
    CCACHE_DIR=${CCACHE_DIR:-$(ccache --get-config cache_dir)}
    export CCACHE_DIR
fi
export HOME=$home XDG_DATA_HOME=$home/data
unset KORVANT_INSTALL_PREFIX
mkdir -p "$home"
appdir=$home/.local/opt/korvant-lite
apps=$XDG_DATA_HOME/applications
icons=$XDG_DATA_HOME/icons/hicolor
install_cmd() { KORVANT_BUILD_DIR=$build bash "$src/tools/korvant.sh" "$@" >>"$work/install.log" 2>&1; }

# --- install ------------------------------------------------------------------------
install_cmd install || { cat "$work/install.log"; fail "install failed"; }
id=$(sed -n 's/.*kApplicationId = "\([^"]*\)".*/\1/p' "$src/src/common/application_id.h")
[[ -n $id ]] || fail "no application id in application_id.h"
[[ -x $appdir/korvant ]] || fail "$appdir/korvant is not installed"
for f in korvant_gst.so korvant_web.so korvant_directory.so; do
    [[ -f $appdir/$f ]] || fail "$appdir/$f is not installed beside the program"
done
for f in "$src"/data/Dornel/*; do
    cmp -s "$f" "$appdir/Dornel/$(basename "$f")" || fail "Dornel/$(basename "$f") not seeded"
done
desktop=$apps/$id.desktop
metainfo=$XDG_DATA_HOME/metainfo/$id.metainfo.xml
[[ -f $desktop ]] || fail "no launcher $desktop"
[[ -f $metainfo ]] || fail "no metainfo $metainfo"
[[ ! -e $home/.local/share ]] || fail "files went to ~/.local/share instead of XDG_DATA_HOME"
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the launcher"
# --no-net: the validator would otherwise try the addresses it finds.
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects the metainfo"
grep -q "<id>$id</id>" "$metainfo" || fail "metainfo id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "metainfo does not launch $id.desktop"
grep -qx "Icon=$id" "$desktop" || fail "launcher icon is not $id"
for size in 16 22 24 32 48 64 128 256; do
    png=$icons/${size}x${size}/apps/$id.png
    [[ $(identify -format '%wx%h' "$png" 2>/dev/null) == "${size}x${size}" ]] ||
        fail "no ${size}x${size} icon at $png"
done
grep -q '<svg' "$icons/scalable/apps/$id.svg" || fail "no scalable icon"

# --- the launcher's Exec starts the installed program --------------------------------
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
# The launcher quotes the path; no field codes follow it.
[[ $exec_line =~ ^\"(.*)\"$ ]] || fail "Exec is not one quoted path: $exec_line"
program=${BASH_REMATCH[1]}
[[ $program == "$appdir/korvant" ]] || fail "Exec names $program, not $appdir/korvant"
wm_class=$(sed -n 's/^StartupWMClass=//p' "$desktop")
[[ -n $wm_class ]] || fail "launcher has no StartupWMClass"

export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-session-bus"
bring_up_display || fail "display did not start"
# Run from elsewhere: the program finds its modules and Dornel beside itself.
# Caches and settings the toolkit may write go outside HOME, which is to hold only what
# install writes.
(cd "$work" && XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config exec "$program") \
    >"$work/korvant.log" 2>&1 &
pids+=($!)
app=$!
window_of_program() { xdotool search --all --onlyvisible --pid "$app" --name . | head -1; }
program_has_window() { [[ -n $(window_of_program) ]]; }
wait_until 3000 program_has_window || fail "the installed program mapped no window"
kill -0 "$app" 2>/dev/null || fail "the installed program ended"
window=$(window_of_program)
classes=$(xprop -id "$window" WM_CLASS)
# WM_CLASS(STRING) = "korvant", "Korvant Lite": instance, then class.
[[ $classes == *", \"$wm_class\"" ]] || fail "window class is $classes, launcher says $wm_class"
kill "$app"
wait "$app" 2>/dev/null

# --- reinstall keeps the user's data --------------------------------------------------
printf '%s\r\n' '"Mine","","","","","","","","","","http://127.0.0.1:9/x","","","","","","","","",""' \
    >"$appdir/Dornel/Dornelfavs.dat"
cp "$appdir/Dornel/Dornelfavs.dat" "$work/favs.saved"
rm "$appdir/Dornel/help.txt"
install_cmd install || { cat "$work/install.log"; fail "reinstall failed"; }
cmp -s "$work/favs.saved" "$appdir/Dornel/Dornelfavs.dat" ||
    fail "reinstall replaced the user's Dornelfavs.dat"
cmp -s "$src/data/Dornel/help.txt" "$appdir/Dornel/help.txt" ||
    fail "reinstall did not bring back the missing help.txt"

# --- uninstall keeps Dornel, --purge removes it ---------------------------------------
install_cmd uninstall || { cat "$work/install.log"; fail "uninstall failed"; }
left=$(find "$home" -mindepth 1 ! -path "$appdir" ! -path "$appdir/Dornel" ! -path "$appdir/Dornel/*" \
    ! -path "$home/.local" ! -path "$home/.local/opt" ! -path "$XDG_DATA_HOME")
[[ -z $left ]] || fail "uninstall left: $left"
cmp -s "$work/favs.saved" "$appdir/Dornel/Dornelfavs.dat" ||
    fail "uninstall did not keep the user's Dornelfavs.dat"
install_cmd uninstall --purge || { cat "$work/install.log"; fail "uninstall --purge failed"; }
[[ ! -e $appdir ]] || fail "uninstall --purge left $appdir"
passed=1
echo "PASS"
