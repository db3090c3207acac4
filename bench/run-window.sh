#!/usr/bin/env bash
# Builds the release tree and measures the whole road: a generated playlist of 1,000 and of 10,000 tracks from
# Enter to the painted grid in the real main window (offscreen) and through velomir-cli, against the stand-in
# service in a process of its own on loopback; then the window's start-up. Medians of RUNS processes each.
#   bench/run-window.sh            RUNS=5 by default
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release --target velomir-bench-window velomir-stub-service velomir-cli
QT_QPA_PLATFORM=offscreen build-release/bench/velomir-bench-window --runs "${RUNS:-5}" 2> >(grep -v XDG_RUNTIME_DIR >&2)
