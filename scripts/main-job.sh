#!/usr/bin/env bash
# The main job: builds the simulated-Outlook program (native preset) and runs the add-in inside it, then shows where
# the activity logs are and what they hold. Arguments go to the program, e.g. --outlook-version 11|12|14 (default 14).
#
#   bash scripts/main-job.sh [--outlook-version 11|12|14]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

bash scripts/install-deps.sh native >&2

mkdir -p build
log=build/main-job-build.log
echo "main-job: building sealwing-sim (log: $log)" >&2
if ! { cmake --preset native && cmake --build --preset native --target sealwing-sim; } >"$log" 2>&1; then
    cat "$log" >&2
    echo "main-job: the build failed" >&2
    exit 1
fi

program=build/native/bin/sealwing-sim
if [[ ! -x "$program" ]]; then
    program=$(find build/native -type f -name sealwing-sim -perm -u+x -print -quit)
fi
if [[ -z "$program" ]]; then
    echo "main-job: built, but no sealwing-sim program found under build/native" >&2
    exit 1
fi
exec "$program" "$@"
