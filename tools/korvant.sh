#!/usr/bin/env bash
# Sets up a Debian 12 machine for Korvant Lite, builds it, then runs it or its tests.
#   tools/korvant.sh run    install what is missing, build, start the program
#   tools/korvant.sh test   install what is missing, build, run the whole test suite, then
#                           build again with AddressSanitizer and UndefinedBehaviorSanitizer
#                           and run the suite once more (all but the fuzzers, which carry
#                           their own sanitizers)
#   tools/korvant.sh bench  build for measuring and print the benchmark table
#   tools/korvant.sh soak [MINUTES]   play a live loopback stream for MINUTES (30) through
#                           title changes and server restarts; report playing and memory
#   tools/korvant.sh install    build (no tests) and install for the current user: the
#                           program, its modules and Dornel in ~/.local/opt/korvant-lite,
#                           the launcher, icons and metainfo in ${XDG_DATA_HOME:-~/.local/share};
#                           a reinstall keeps every file already in Dornel
#   tools/korvant.sh uninstall [--purge]   remove what install put there; Dornel (the
#                           user's settings, favourites and links) stays unless --purge
# install and uninstall take KORVANT_BUILD_DIR (an existing build folder to install from,
# built only as far as the program needs) and KORVANT_INSTALL_PREFIX (instead of ~/.local).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
mode=${1:-run}

# What the program needs to build and to play streams.
packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-webengine-dev libgl-dev
          libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
          gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
          gstreamer1.0-plugins-ugly gstreamer1.0-libav gstreamer1.0-pulseaudio glib-networking
          fonts-dejavu-core xdg-utils)
# What the tests need besides: GoogleTest, a local stream server and its sources, a
# virtual display with a tray host, and the tools that drive and record them.
test_packages=(libgtest-dev libgmock-dev gstreamer1.0-tools icecast2 xvfb xauth xdotool
               trayer imagemagick x11-utils pulseaudio pulseaudio-utils curl clang
               libclang-rt-14-dev openssl dbus-daemon clang-format desktop-file-utils
               appstream playerctl)

# Every C++ file of the tree must be as the committed .clang-format lays it out; names the
# files that are not and fails.
check_format() {
    local unformatted=()
    while IFS= read -r -d '' f; do
        clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || unformatted+=("${f#"$here"/}")
    done < <(find "$here/src" "$here/tests" "$here/bench" "$here/fuzz" \
                 \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
    if [ ${#unformatted[@]} -gt 0 ]; then
        echo "Not formatted with .clang-format (run clang-format -i on them):" >&2
        printf '  %s\n' "${unformatted[@]}" >&2
        return 1
    fi
    echo "Formatting: every C++ file matches .clang-format"
}

# Where install puts things and uninstall looks for them.
install_prefix=${KORVANT_INSTALL_PREFIX:-$HOME/.local}
install_appdir=$install_prefix/opt/korvant-lite
install_datahome=${XDG_DATA_HOME:-$HOME/.local/share}
# The list of files one install wrote (Dornel's files are never on it), kept beside the
# program so that uninstalling needs no build folder.
install_manifest=$install_appdir/install-manifest.txt

# Refreshes the desktop's caches of launchers and icons where the user has them. Only a
# cache that already exists: a new one would be left behind by the uninstall.
refresh_desktop_caches() {
    local apps=$install_datahome/applications icons=$install_datahome/icons/hicolor
    if command -v update-desktop-database >/dev/null && [ -f "$apps/mimeinfo.cache" ]; then
        update-desktop-database -q "$apps" || true
    fi
    if command -v gtk-update-icon-cache >/dev/null && [ -f "$icons/icon-theme.cache" ]; then
        gtk-update-icon-cache -q -f -t "$icons" || true
    fi
}

install_missing() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

case "$mode" in
run)
    install_missing "${packages[@]}"
    # Installing may need root; the player does not, and its web browser stays off as
    # root (the web engine's sandbox cannot start there). Called through sudo, the build
    # and the program run as the user who asked, in a build folder (with the program's
    # data folder inside it) that belongs to that user.
    if [ "$(id -u)" -eq 0 ]; then
        user=${SUDO_USER:-}
        if [ -n "$user" ] && [ "$user" != root ] && id -u "$user" >/dev/null 2>&1; then
            uid=$(id -u "$user")
            if ! runuser -u "$user" -- test -r "$here/CMakeLists.txt" -a -x "$here"; then
                echo "$user cannot read $here: put the sources where $user can read them," \
                    "or run this as $user." >&2
                exit 1
            fi
            mkdir -p "$here/build"
            chown -R "$uid:$(id -g "$user")" "$here/build"
            session=()
            if [ -d "/run/user/$uid" ]; then
                session+=("XDG_RUNTIME_DIR=/run/user/$uid")
                [ -S "/run/user/$uid/bus" ] &&
                    session+=("DBUS_SESSION_BUS_ADDRESS=unix:path=/run/user/$uid/bus")
            fi
            echo "Building and starting Korvant Lite as $user."
            exec runuser -u "$user" -- env -u SUDO_USER -u SUDO_UID -u SUDO_GID \
                -u SUDO_COMMAND "${session[@]}" bash "$here/tools/korvant.sh" run
        fi
        echo "Note: running as root, so the links window's web browser is off (the web" \
            "engine cannot run its sandbox as root). Run this as an ordinary user to see" \
            "pages there." >&2
    fi
    cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKORVANT_BUILD_TESTS=OFF
    cmake --build "$here/build" --target korvant
    exec "$here/build/bin/korvant"
    ;;
test)
    install_missing "${packages[@]}" "${test_packages[@]}"
    check_format
    # Test builds point every built-in host name at loopback: no test may look up or
    # contact any other host.
    cmake -S "$here" -B "$here/build-test" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKORVANT_BUILD_TESTS=ON -DKORVANT_WERROR=ON \
        -DKORVANT_COMMUNITY_HOST=127.0.0.1 -DKORVANT_FERROW_HOST=127.0.0.1 \
        -DKORVANT_DIRECTORY_SERVERS=http://127.0.0.1:9
    cmake --build "$here/build-test"
    (cd "$here/build-test" && ctest --output-on-failure --timeout 600 -j2)

    # The same suite under AddressSanitizer (leaks included) and UndefinedBehaviorSanitizer.
    # Leaks that system libraries keep for the life of the process are listed, by library,
    # in the suppressions file; a report from any of our own code fails the run.
    cmake -S "$here" -B "$here/build-test-asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKORVANT_BUILD_TESTS=ON -DKORVANT_WERROR=ON -DKORVANT_SANITIZE=ON \
        -DKORVANT_COMMUNITY_HOST=127.0.0.1 -DKORVANT_FERROW_HOST=127.0.0.1 \
        -DKORVANT_DIRECTORY_SERVERS=http://127.0.0.1:9
    cmake --build "$here/build-test-asan"
    (
        cd "$here/build-test-asan"
        # Full stacks for every allocation: GLib and the drivers have no frame pointers,
        # and a suppression can only match a library frame that the stack shows.
        export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:fast_unwind_on_malloc=0
        export LSAN_OPTIONS=suppressions=$here/tests/support/lsan.supp:print_suppressions=0
        export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
        # Two groups run on their own with checks relaxed: the huge data file reads bound
        # their peak memory, which the allocator's quarantine of freed blocks would inflate;
        # and the web page tests host a whole browser engine, whose own code deletes with
        # mismatched sizes and leaves its threads' memory at exit (memory errors are still
        # caught there, leaks are not).
        special='HugeDataFile|LinksBrowser\.'
        ctest --output-on-failure --timeout 900 -j2 -LE fuzz -E "$special"
        ASAN_OPTIONS=$ASAN_OPTIONS:quarantine_size_mb=1 \
            ctest --output-on-failure --timeout 900 -LE fuzz -R 'HugeDataFile'
        ASAN_OPTIONS=detect_leaks=0:new_delete_type_mismatch=0 \
            ctest --output-on-failure --timeout 900 -LE fuzz -R 'LinksBrowser\.'
    )
    ;;
bench)
    install_missing "${packages[@]}" "${test_packages[@]}"
    cmake -S "$here" -B "$here/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKORVANT_BUILD_TESTS=ON -DKORVANT_COMMUNITY_HOST=127.0.0.1 \
        -DKORVANT_FERROW_HOST=127.0.0.1 -DKORVANT_DIRECTORY_SERVERS=http://127.0.0.1:9
    exec "$here/bench/run_all.sh" "$here/build-bench"
    ;;
soak)
    install_missing "${packages[@]}" "${test_packages[@]}"
    cmake -S "$here" -B "$here/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKORVANT_BUILD_TESTS=ON -DKORVANT_COMMUNITY_HOST=127.0.0.1 \
        -DKORVANT_FERROW_HOST=127.0.0.1 -DKORVANT_DIRECTORY_SERVERS=http://127.0.0.1:9
    cmake --build "$here/build-bench" --target soak_player
    exec "$here/bench/soak/soak.sh" "${2:-30}" "$here/build-bench"
    ;;
install)
    install_missing "${packages[@]}"
    build=${KORVANT_BUILD_DIR:-$here/build}
    if [ -z "${KORVANT_BUILD_DIR:-}" ]; then
        cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DKORVANT_BUILD_TESTS=OFF
    fi
    # The program's target builds both modules too.
    cmake --build "$build" --target korvant
    manifest=$build/install_manifest.txt
    rm -f "$manifest"
    KORVANT_INSTALL_DATA_HOME=$install_datahome \
        cmake --install "$build" --prefix "$install_prefix"
    # A reinstall lists what this install wrote plus anything an earlier one wrote that
    # this one no longer does, so that uninstall still finds it.
    # (CMake ends its list without a newline: grep gives each line its own.)
    {
        grep -h . "$manifest"
        [ -f "$install_manifest" ] && grep -h . "$install_manifest"
        echo "$install_manifest"
    } | sort -u >"$manifest.all"
    mv "$manifest.all" "$install_manifest"
    refresh_desktop_caches
    echo "Installed: $install_appdir/korvant"
    echo "Launcher:  $(grep -m1 '\.desktop$' "$install_manifest")"
    ;;
uninstall)
    purge=0
    case "${2:-}" in
    "") ;;
    --purge) purge=1 ;;
    *)
        echo "usage: $0 uninstall [--purge]" >&2
        exit 2
        ;;
    esac
    if [ ! -f "$install_manifest" ]; then
        echo "Nothing installed at $install_appdir (no $install_manifest)." >&2
    else
        # Only files inside the two folders install writes to are removed, whatever
        # the list says.
        while IFS= read -r file; do
            case $file in
            "$install_appdir"/Dornel/*) ;;
            "$install_appdir"/* | "$install_datahome"/*) rm -f -- "$file" ;;
            esac
        done <"$install_manifest"
        rm -f -- "$install_manifest"
    fi
    # Folders install made and left empty go; shared ones with other programs' files stay.
    for dir in "$install_datahome"/icons/hicolor/*/apps "$install_datahome"/icons/hicolor/* \
        "$install_datahome"/icons/hicolor "$install_datahome"/icons \
        "$install_datahome"/applications "$install_datahome"/metainfo; do
        [ -d "$dir" ] && rmdir --ignore-fail-on-non-empty -- "$dir"
    done
    if ((purge)); then
        rm -rf -- "$install_appdir/Dornel"
        echo "Removed the data folder $install_appdir/Dornel."
    elif [ -d "$install_appdir/Dornel" ]; then
        echo "Kept the data folder $install_appdir/Dornel (remove it with: $0 uninstall --purge)."
    fi
    [ -d "$install_appdir" ] && rmdir --ignore-fail-on-non-empty -- "$install_appdir"
    [ -d "$install_prefix/opt" ] && rmdir --ignore-fail-on-non-empty -- "$install_prefix/opt"
    refresh_desktop_caches
    ;;
*)
    echo "usage: $0 run|test|bench|soak [MINUTES]|install|uninstall [--purge]" >&2
    exit 2
    ;;
esac
