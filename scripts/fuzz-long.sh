#!/usr/bin/env bash
# Fuzzes every target long: each runs until it has made the given number of executions (default ten million), from
# its seed corpus and what earlier runs found (build/sanitizers/fuzz-corpus/<target>), and prints its figures.
#
# The executions are made in rounds of a million (SEALWING_FUZZ_ROUND sets another size), each starting from the
# corpus the rounds before it grew, and the rounds already done are remembered in build/sanitizers/<target>.fuzzed
# together with the fuzzer's checksum: an interrupted run goes on where it stopped when started again, and a rebuilt
# fuzzer starts from zero. A failure leaves its input as crash-*, leak-* or timeout-* here and ends the script
# non-zero; add the input to the target's seed corpus once the fault is mended.
#
#   bash scripts/fuzz-long.sh [executions] [target...]
#
# Needs the sanitizers preset's build (cmake --preset sanitizers && cmake --build --preset sanitizers). Each target
# uses one core; run two at once on two cores by naming different targets in two invocations.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/fuzz-targets.sh
runs=${1:-10000000}
shift || true
round=${SEALWING_FUZZ_ROUND:-1000000}
status=0
for line in "${fuzz_targets[@]}"; do
    read -r name corpus dict what <<<"$line"
    if [[ $# -gt 0 && ! " $* " =~ " $name " ]]; then continue; fi
    fuzzer=build/sanitizers/bin/$name found=build/sanitizers/fuzz-corpus/$name
    log=build/sanitizers/$name-long.log state=build/sanitizers/$name.fuzzed
    [[ -x "$fuzzer" ]] || { echo "fuzz target missing: $fuzzer (build the sanitizers preset)"; status=1; continue; }
    mkdir -p "$found"
    checksum=$(sha256sum "$fuzzer" | cut -d' ' -f1)
    # The state file: the fuzzer's checksum, the executions done, the rounds and the seconds they took.
    done_runs=0 rounds=0 seconds=0
    if [[ -f "$state" ]]; then
        read -r state_checksum state_runs state_rounds state_seconds <"$state"
        if [[ "$state_checksum" == "$checksum" ]]; then
            done_runs=$state_runs rounds=$state_rounds seconds=$state_seconds
        fi
    fi
    failed=
    while ((done_runs < runs)); do
        this_round=$((runs - done_runs < round ? runs - done_runs : round))
        start=$(date +%s)
        if ! "$fuzzer" -runs="$this_round" -timeout=10 -rss_limit_mb=2048 -dict="$dict" "$found" "$corpus" \
            >"$log" 2>&1; then
            tail -n 30 "$log"
            failed=1
            break
        fi
        made=$(grep -Eo 'Done [0-9]+ runs' "$log" | tail -n 1 | grep -Eo '[0-9]+')
        [[ -n "$made" ]] || { tail -n 30 "$log"; failed=1; break; }
        done_runs=$((done_runs + made)) rounds=$((rounds + 1)) seconds=$((seconds + $(date +%s) - start))
        echo "$checksum $done_runs $rounds $seconds" >"$state"
    done
    if [[ -n "$failed" ]]; then
        echo "$name ($what): FAILED after $done_runs executions, see $log"
        status=1
    else
        echo "$name ($what): $done_runs executions in $rounds round(s) of at most $round, $seconds s," \
            "no crash, leak or timeout"
    fi
done
exit $status
