#!/usr/bin/env bash
# Installs every Debian package Velomir needs to build, test and run, then configures and builds.
# Idempotent: packages already present are not fetched again, build trees are reused.
#   tools/setup.sh            install + build the dev tree (build/)
#   tools/setup.sh --asan     also build the sanitizer tree (build-asan/)
#   tools/setup.sh --no-build install only
set -euo pipefail

PACKAGES=(
    build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev clang-format-14 clang-tidy-14
    libpcre2-dev libcurl4-openssl-dev zlib1g-dev libcpp-httplib-dev
    libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev rapidjson-dev libtag1-dev aria2 wget
    qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev libqt6svg6 qt6-image-formats-plugins
    libssl-dev libbrotli-dev libjpeg62-turbo-dev libgl-dev fonts-wqy-microhei xvfb xauth
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly gstreamer1.0-libav
    python3
    desktop-file-utils appstream help2man man-db file dpkg-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    echo "setup: installing ${#missing[@]} package(s): ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

[ "${1:-}" = "--no-build" ] && exit 0

cd "$(dirname "$0")/.."
cmake --preset dev >/dev/null
cmake --build --preset dev
if [ "${1:-}" = "--asan" ]; then
    cmake --preset asan >/dev/null
    cmake --build --preset asan
fi
