#!/usr/bin/env bash
# Builds the fuzz targets (fuzz preset) and runs them one after another, each on a copy of its seed corpus in a
# temporary folder; nothing is written into the repository.
#   fuzz/run.sh SECONDS [TARGET...]    fuzz each target (all when none is named) for SECONDS
#   fuzz/run.sh --runs N [TARGET...]   N inputs per target with a fixed seed: a quick check for the test command
# Exits non-zero when any target fails (crash, failed check, leak, time-out, memory limit); its input and log stay
# in the temporary folder, whose path is printed.
set -euo pipefail
cd "$(dirname "$0")/.."

all_targets=(json_differential_fuzzer link_recognition_fuzzer url_text_fuzzer ini_file_fuzzer item_extraction_fuzzer
             http_body_fuzzer lyrics_fuzzer file_name_fuzzer)

usage() {
    echo "usage: $0 SECONDS [TARGET...] | $0 --runs N [TARGET...]" >&2
    echo "targets: ${all_targets[*]}" >&2
    exit 2
}

mode="time"
if [[ ${1:-} == --runs ]]; then
    mode="runs"
    shift
fi
amount=${1:-}
[[ $amount =~ ^[1-9][0-9]*$ ]] || usage
shift
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=("${all_targets[@]}")
for target in "${targets[@]}"; do
    [[ " ${all_targets[*]} " == *" $target "* ]] || usage
done

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${targets[@]}"

# The body decoder may hold one 64 MiB body (128 MiB of string capacity): a bigger single allocation is a fault.
limits_of() {
    case $1 in
        http_body_fuzzer) echo "-rss_limit_mb=1024 -malloc_limit_mb=160" ;;
        *) echo "-rss_limit_mb=2048 -malloc_limit_mb=512" ;;
    esac
}

work=$(mktemp -d "${TMPDIR:-/tmp}/velomir-fuzz.XXXXXX")
failed=()
for target in "${targets[@]}"; do
    dir=$work/$target
    mkdir -p "$dir/corpus" "$dir/artifacts"
    cp -R "fuzz/corpus/$target/." "$dir/corpus/"
    # shellcheck disable=SC2207
    args=(-print_final_stats=1 -timeout=30 -artifact_prefix="$dir/artifacts/" $(limits_of "$target"))
    [[ ! -f fuzz/dict/$target.dict ]] || args+=(-dict="$PWD/fuzz/dict/$target.dict")
    if [[ $mode == runs ]]; then
        args+=(-runs="$amount" -seed=1)
    else
        args+=(-max_total_time="$amount")
    fi
    binary=$PWD/build-fuzz/fuzz/$target
    echo "== $target"
    start=$SECONDS
    # Run inside the temporary folder: whatever libFuzzer or the target writes lands there.
    if (cd "$dir" && TMPDIR=$dir "$binary" "${args[@]}" corpus) >"$dir/log" 2>&1; then
        status=ok
        grep -E '^(stat::|Done )' "$dir/log" || true
    else
        status=FAILED
        failed+=("$target")
        tail -n 40 "$dir/log"
    fi
    echo "-- $target: $status in $((SECONDS - start)) s"
done

if [[ ${#failed[@]} -gt 0 ]]; then
    echo "failed: ${failed[*]} (inputs and logs in $work)" >&2
    exit 1
fi
if [[ $mode == runs ]]; then
    rm -rf "$work"
else
    echo "grown corpora and logs: $work"
fi
