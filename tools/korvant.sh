#!/usr/bin/env bash
# Sets up a Debian 12 machine for Korvant Lite, builds it, then runs it or its tests.
#   tools/korvant.sh run    install what is missing, build, start the program
#   tools/korvant.sh test   install what is missing, build, run the whole test suite
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
               libclang-rt-14-dev)

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
    cd "$here/build-test"
    ctest --output-on-failure --timeout 600 -j2
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
