#!/usr/bin/env bash
# Builds the release tree and saves the stand-in's 200-song download playlist (about 1 MB a song, every audio
# answer held DELAY_MS before its first byte, as a distant server would) three ways, each into a fresh folder:
# velomir-cli --download (JOBS transfers; listing, covers and tags included), aria2c (JOBS transfers, one
# connection each) and wget (one file after another). Prints wall time and CPU time (user + system of the client
# and its children), medians of RUNS runs.
#   bench/run-downloads.sh                    RUNS=3 DELAY_MS=50 JOBS=4 by default
#   BUILD_DIR=/tmp/b bench/run-downloads.sh   configures a separate Release tree there
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${RUNS:-3}
delay=${DELAY_MS:-50}
jobs=${JOBS:-4}
playlist='http://music.163.com/#/playlist?id=1200000200'
songs=200

if [ -z "${BUILD_DIR:-}" ]; then
    cmake --preset release >/dev/null
    cmake --build --preset release --target velomir-cli velomir-stub-service >/dev/null
    build=build-release
else
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELOMIR_BUILD_TESTS=OFF \
        -DVELOMIR_BUILD_GUI=OFF >/dev/null
    cmake --build "$BUILD_DIR" --target velomir-cli velomir-stub-service >/dev/null
    build=$BUILD_DIR
fi
cli=$build/src/cli/velomir-cli
stub=$build/tools/stub-service/velomir-stub-service
for tool in aria2c wget; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (Debian packages aria2, wget)" >&2; exit 1; }
done

work=$(mktemp -d)
stub_pid=""
cleanup() {
    if [ -n "$stub_pid" ]; then
        kill "$stub_pid" 2>/dev/null || true
        wait "$stub_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

coproc STUB { exec "$stub" --audio-delay-ms "$delay"; }
stub_pid=$STUB_PID
read -r ready <&"${STUB[0]}"
address=${ready#listening on }
[ "$address" != "$ready" ] || { echo "the stand-in did not start: $ready" >&2; exit 1; }

# The addresses as a player would get them; all of them must stay on loopback.
"$cli" --service-address "$address" --format m3u "$playlist" | grep -v '^#' >"$work/list.txt"
[ "$(wc -l <"$work/list.txt")" -eq "$songs" ] || { echo "expected $songs addresses" >&2; exit 1; }
if grep -qv "^http://$address/" "$work/list.txt"; then
    echo "an address leads away from the stand-in:" >&2
    grep -v "^http://$address/" "$work/list.txt" | head -3 >&2
    exit 1
fi

# Runs one client into a fresh folder; appends "WALL CPU" (seconds) to $work/NAME.times.
measure() {
    local name=$1 folder=$2
    shift 2
    local TIMEFORMAT='%3R %3U %3S'
    local wall user sys
    if ! { time "$@" >/dev/null 2>"$work/$name.err"; } 2>"$work/time"; then
        echo "$name failed:" >&2
        cat "$work/$name.err" >&2
        exit 1
    fi
    read -r wall user sys <"$work/time"
    local saved
    saved=$(find "$folder" -name '*.mp3' -type f | wc -l)
    [ "$saved" -eq "$songs" ] || { echo "$name saved $saved of $songs files" >&2; exit 1; }
    awk -v w="$wall" -v u="$user" -v s="$sys" 'BEGIN { printf "%.3f %.3f\n", w, u + s }' >>"$work/$name.times"
    rm -rf "$folder"
}

for ((run = 1; run <= runs; ++run)); do
    measure velomir "$work/velomir" \
        "$cli" --service-address "$address" --format tsv --download "$work/velomir" --jobs "$jobs" "$playlist"
    measure aria2c "$work/aria2c" aria2c -j"$jobs" -x1 -i "$work/list.txt" -d "$work/aria2c"
    measure wget "$work/wget" wget -q -i "$work/list.txt" -P "$work/wget"
    echo "run $run of $runs done" >&2
done

# The median of column $1 of a file of numbers.
median() {
    cut -d' ' -f"$1" "$2" | sort -n |
        awk '{ v[NR] = $1 } END { printf "%.2f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# One row of the table: the client's label and the name of its times file.
row() { echo "| $1 | $(median 1 "$work/$2.times") s | $(median 2 "$work/$2.times") s |"; }

echo
echo "Saving $songs songs of about 1 MB from the stand-in on loopback, each audio answer held $delay ms;" \
    "medians of $runs runs"
echo
echo "| client | wall time | CPU time (user + system) |"
echo "|---|---:|---:|"
row "velomir-cli --download --jobs $jobs (listing, covers, tags included)" velomir
row "aria2c -j$jobs -x1" aria2c
row "wget (one at a time)" wget
