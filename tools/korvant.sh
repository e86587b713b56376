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
               libclang-rt-14-dev openssl dbus-daemon playerctl)

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
    cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKORVANT_BUILD_TESTS=OFF
    cmake --build "$here/build" --target korvant
    exec "$here/build/bin/korvant"
    ;;
test)
    install_missing "${packages[@]}" "${test_packages[@]}"
    # Test builds point every built-in host name at loopback: no test may look up or
    # contact any other host.
    cmake -S "$here" -B "$here/build-test" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKORVANT_BUILD_TESTS=ON -DKORVANT_WERROR=ON \
        -DKORVANT_COMMUNITY_HOST=127.0.0.1 -DKORVANT_FERROW_HOST=127.0.0.1
    cmake --build "$here/build-test"
    (cd "$here/build-test" && ctest --output-on-failure --timeout 600 -j2)

    # The same suite under AddressSanitizer (leaks included) and UndefinedBehaviorSanitizer.
    # Leaks that system libraries keep for the life of the process are listed, by library,
    # in the suppressions file; a report from any of our own code fails the run.
    cmake -S "$here" -B "$here/build-test-asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKORVANT_BUILD_TESTS=ON -DKORVANT_WERROR=ON -DKORVANT_SANITIZE=ON \
        -DKORVANT_COMMUNITY_HOST=127.0.0.1 -DKORVANT_FERROW_HOST=127.0.0.1
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
        -DKORVANT_FERROW_HOST=127.0.0.1
    exec "$here/bench/run_all.sh" "$here/build-bench"
    ;;
soak)
    install_missing "${packages[@]}" "${test_packages[@]}"
    cmake -S "$here" -B "$here/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKORVANT_BUILD_TESTS=ON -DKORVANT_COMMUNITY_HOST=127.0.0.1 \
        -DKORVANT_FERROW_HOST=127.0.0.1
    cmake --build "$here/build-bench" --target soak_player
    exec "$here/bench/soak/soak.sh" "${2:-30}" "$here/build-bench"
    ;;
*)
    echo "usage: $0 run|test|bench|soak [MINUTES]" >&2
    exit 2
    ;;
esac
