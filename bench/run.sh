#!/usr/bin/env bash
# Builds the release tree and measures the JSON readers on generated playlist answers: time per extraction job at
# 100, 1,000 and 10,000 tracks, then peak memory at 10,000 tracks (one process per reader), and prints a table.
#   bench/run.sh                         uses the release preset (build-release/)
#   BUILD_DIR=/tmp/b bench/run.sh        configures a separate Release tree there (no window, no unit tests)
#   REPETITIONS=5 JOBS=2 bench/run.sh    more timing repetitions (median reported), build parallelism
set -euo pipefail
cd "$(dirname "$0")/.."

repetitions=${REPETITIONS:-3}
jobs=${JOBS:-2}
tracks=10000
if [ -z "${BUILD_DIR:-}" ]; then
    cmake --preset release >/dev/null
    cmake --build --preset release --target velomir-bench-json --parallel "$jobs"
    build=build-release
else
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELOMIR_BUILD_BENCH=ON \
        -DVELOMIR_BUILD_TESTS=OFF -DVELOMIR_BUILD_GUI=OFF >/dev/null
    cmake --build "$BUILD_DIR" --target velomir-bench-json --parallel "$jobs"
    build=$BUILD_DIR
fi
bin=$build/bench/velomir-bench-json

timing=$(mktemp)
trap 'rm -f "$timing"' EXIT
"$bin" --benchmark_repetitions="$repetitions" --benchmark_display_aggregates_only=true | tee "$timing"

declare -A peak
input=""
for reader in ours nlohmann rapidjson; do
    line=$("$bin" --memory "$reader" "$tracks" || true)
    echo "$line"
    peak[$reader]=$(sed -n 's/.*peak_mib=\([0-9.]*\).*/\1/p' <<<"$line")
    input=$(sed -n 's/.*input_bytes=\([0-9]*\) input_mib=\([0-9.]*\).*/\1 bytes, \2 MiB/p' <<<"$line")
done

echo
echo "JSON readers, extraction of 8 fields per track; median CPU time of $repetitions runs; answer of $tracks tracks: ${input:-?}"
echo
echo "| reader | 100 tracks | 1,000 tracks | 10,000 tracks | peak RSS at 10,000 tracks (input included) |"
echo "|---|---:|---:|---:|---:|"
for reader in ours nlohmann rapidjson; do
    read -r _ t100 t1000 t10000 < <(grep -E "^$reader " "$timing" | tail -1)
    echo "| $reader | $t100 ms | $t1000 ms | $t10000 ms | ${peak[$reader]:-?} MiB |"
done
echo
grep -E '^(ratio|check)' "$timing" || true
