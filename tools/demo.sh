#!/usr/bin/env bash
# The offline demo: sets up if needed, starts the stand-in service on a free loopback port, runs Velomir against
# it and stops the service afterwards. With a display it opens the window (the about window's picture lists the
# sample playlist); without one, or with arguments, velomir-cli lists the sample playlist or the given text.
# The stand-in also holds today's playlists, whose old answers are cut: paste
# http://music.163.com/#/playlist?id=1200002345 (or run `bash tools/demo.sh --today`) to see one completed.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh

workdir=$(mktemp -d)
stub_pid=""
cleanup() {
    [ -n "$stub_pid" ] && kill "$stub_pid" 2>/dev/null && wait "$stub_pid" 2>/dev/null
    rm -rf "$workdir"
}
trap cleanup EXIT

build/tools/stub-service/velomir-stub-service --port 0 > "$workdir/stub.out" &
stub_pid=$!
for _ in $(seq 100); do
    grep -q '^listening on ' "$workdir/stub.out" 2>/dev/null && break
    sleep 0.1
done
address=$(sed -n 's/^listening on //p' "$workdir/stub.out")
[ -n "$address" ] || { echo "demo: the stand-in service did not start" >&2; exit 1; }
echo "demo: stand-in service on $address"

if [ $# -eq 0 ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/src/ui/velomir ]; then
    VELOMIR_SERVICE_ADDRESS="$address" build/src/ui/velomir
    exit 0
fi
if [ "${1:-}" = "--today" ]; then
    set -- "http://music.163.com/#/playlist?id=1200002345"
elif [ $# -eq 0 ]; then
    set -- "http://music.163.com/#/playlist?id=2330887406"
fi
build/src/cli/velomir-cli --service-address "$address" "$@"
