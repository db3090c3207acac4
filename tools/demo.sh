#!/usr/bin/env bash
# Sets up a fresh machine if needed, builds Velomir and runs its main job.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
echo
echo "Velomir: the core libraries are built (build/src). The command-line front end and the window are not built yet."
