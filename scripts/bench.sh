#!/usr/bin/env bash
# The benchmarks' figures as one table (measure, this project, anchor, ratio), from the optimised build that the
# project ships with (the release preset), all measured in this one run:
#   - the benchmark program (build/release/bin/sealwing_bench): each case against its anchor, curl among them;
#   - the peak memory of a send with 40 MB of attachments, in a process of its own (sealwing_upload_memory);
#   - the instructions the add-in's start runs on Outlook's thread, counted by callgrind against a fast, an
#     unreachable and a stalled service (sealwing_startup_count): start-up never waits on the network, so the three
#     agree.
# The raw figures stay in build/release/bench/.
#
#   bash scripts/bench.sh
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
bash scripts/install-deps.sh bench >&2
cmake --preset release >/dev/null
cmake --build --preset release >&2
bin=build/release/bin
out=build/release/bench
rm -rf "$out" && mkdir -p "$out"

"$bin/sealwing_bench" --benchmark_out="$out/bench.json" --benchmark_out_format=json >"$out/bench.log"
"$bin/sealwing_upload_memory" >"$out/upload-memory.txt"
for mode in fast unreachable stalled; do
    valgrind --tool=callgrind --callgrind-out-file="$out/startup-$mode.callgrind" \
        --toggle-collect='*CSealwingAddin::OnConnection*' "$bin/sealwing_startup_count" "$mode" \
        >"$out/startup-$mode.txt" 2>"$out/startup-$mode.valgrind.log"
done
python3 scripts/bench-table.py "$out"
