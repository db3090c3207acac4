#!/usr/bin/env bash
# clang-format (14, the repository's .clang-format) over every tracked C++ source.
#   tools/format.sh           rewrites the files in place
#   tools/format.sh --check   changes nothing; lists the files that differ and exits non-zero if any does
set -euo pipefail
cd "$(dirname "$0")/.."

format=$(command -v clang-format-14 || command -v clang-format || true)
if [[ -z $format ]]; then
    echo "format: clang-format is needed (tools/setup.sh installs it)" >&2
    exit 2
fi

case ${1:-} in
    "")
        git ls-files -z '*.cpp' '*.h' | xargs -0 -r "$format" -i
        ;;
    --check)
        "$format" --dump-config >/dev/null
        log=$(mktemp)
        trap 'rm -f "$log"' EXIT
        status=0
        git ls-files -z '*.cpp' '*.h' | xargs -0 -r "$format" --dry-run --Werror >"$log" 2>&1 || status=$?
        total=$(git ls-files '*.cpp' '*.h' | wc -l)
        # One diagnostic per differing stretch; counted per file rather than printed one by one.
        violation='^.+:[0-9]+:[0-9]+: error: code should be clang-formatted \[-Wclang-format-violations\]$'
        counts=$(grep -E "$violation" "$log" | cut -d: -f1 | sort | uniq -c || true)
        if [[ -z $counts ]]; then
            if ((status != 0)); then
                cat "$log" >&2
                exit 2
            fi
            echo "format: $total files, all formatted"
            exit 0
        fi
        echo "$counts"
        files=$(echo "$counts" | wc -l)
        violations=$(echo "$counts" | awk '{ n += $1 } END { print n }')
        echo "format: $violations places in $files of $total files differ from clang-format;" \
            "tools/format.sh rewrites them"
        exit 1
        ;;
    *)
        echo "usage: $0 [--check]" >&2
        exit 2
        ;;
esac
