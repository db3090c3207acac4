#!/usr/bin/env bash
# Sets up a fresh machine if needed, then builds and runs every test: first the unit and window tests under
# AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/, windows offscreen), then a short run of every fuzz
# target (build-fuzz/), then the whole suite (build/); last the checks that run nothing: the release tree with the
# benchmarks compiled but not run (build-release/), the formatting check and clang-tidy.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh --no-build
export QT_QPA_PLATFORM=offscreen

echo "== unit and window tests under ASan + UBSan =="
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan

echo "== every fuzz target, a fixed number of inputs each =="
bash fuzz/run.sh --runs 2000

echo "== all tests =="
cmake --preset dev >/dev/null
cmake --build --preset dev
ctest --preset dev

echo "== release build with the benchmarks (compiled, not run) =="
cmake --preset release >/dev/null
cmake --build --preset release

echo "== formatting =="
bash tools/format.sh --check

echo "== clang-tidy =="
bash tools/tidy.sh
