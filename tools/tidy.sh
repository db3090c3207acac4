#!/usr/bin/env bash
# Runs clang-tidy with the checks in .clang-tidy over the project's own .cpp files under src/ (and the src/ headers
# they include), two at a time, with the dev tree's compile_commands.json. Exits non-zero on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

[[ -f build/compile_commands.json ]] || cmake --preset dev >/dev/null

tidy=$(command -v clang-tidy-14 || command -v clang-tidy || true)
runner=$(command -v run-clang-tidy-14 || command -v run-clang-tidy || true)
if [[ -z $tidy || -z $runner ]]; then
    echo "tidy: clang-tidy and run-clang-tidy are needed (tools/setup.sh installs them)" >&2
    exit 2
fi

# Anchored at this checkout, so that no Qt or system header under some other src/ folder is reported.
here=$(printf '%s' "$root" | sed 's/[][\.*^$+?(){}|]/\\&/g')
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
"$runner" -clang-tidy-binary "$tidy" -p build -j 2 -quiet -header-filter "^$here/src/" "^$here/src/.*\.cpp$" \
    >"$log" 2>&1 || status=$?

files=$(grep -c "^$tidy " "$log" || true)
# The runner echoes every command and clang counts the warnings it hid in system headers; only findings remain.
sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -vE "^$tidy |^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$" || true
if ((status != 0)); then
    echo "tidy: findings above (checks in .clang-tidy)" >&2
    exit 1
fi
if ((files == 0)); then
    echo "tidy: no file of src/ in build/compile_commands.json" >&2
    exit 1
fi
echo "tidy: $files files under src/, no findings"
