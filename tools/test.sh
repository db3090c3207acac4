#!/usr/bin/env bash
# Sets up a fresh machine if needed, then builds and runs every test: first the unit and window tests under
# AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/, windows offscreen), then the whole suite (build/).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh --no-build
export QT_QPA_PLATFORM=offscreen

echo "== unit and window tests under ASan + UBSan =="
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan

echo "== all tests =="
cmake --preset dev >/dev/null
cmake --build --preset dev
ctest --preset dev
