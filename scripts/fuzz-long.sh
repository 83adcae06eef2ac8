#!/usr/bin/env bash
# Fuzzes every target long: each runs until it has made the given number of executions (default ten million), from
# its seed corpus and what earlier runs found (build/sanitizers/fuzz-corpus/<target>), and prints its figures. A
# failure leaves its input as crash-*, leak-* or timeout-* here and ends the script non-zero; add the input to the
# target's seed corpus once the fault is mended.
#
#   bash scripts/fuzz-long.sh [executions] [target...]
#
# Needs the sanitizers preset's build (cmake --preset sanitizers && cmake --build --preset sanitizers).
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/fuzz-targets.sh
runs=${1:-10000000}
shift || true
status=0
for line in "${fuzz_targets[@]}"; do
    read -r name corpus dict what <<<"$line"
    if [[ $# -gt 0 && ! " $* " =~ " $name " ]]; then continue; fi
    fuzzer=build/sanitizers/bin/$name found=build/sanitizers/fuzz-corpus/$name log=build/sanitizers/$name-long.log
    [[ -x "$fuzzer" ]] || { echo "fuzz target missing: $fuzzer (build the sanitizers preset)"; status=1; continue; }
    mkdir -p "$found"
    start=$(date +%s)
    if "$fuzzer" -runs="$runs" -timeout=10 -rss_limit_mb=2048 -dict="$dict" "$found" "$corpus" >"$log" 2>&1; then
        echo "$name ($what): $(grep -Eo 'Done [0-9]+ runs in [0-9]+ second' "$log" | tail -n 1)s," \
            "$(($(date +%s) - start)) s in all, no crash, leak or timeout"
    else
        tail -n 30 "$log"
        echo "$name ($what): FAILED, see $log"
        status=1
    fi
done
exit $status
