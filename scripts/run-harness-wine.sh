#!/usr/bin/env bash
# The real add-in DLL in the simulated Outlook under Wine: registers Sealwing.dll with regsvr32, lets the harness create
# the add-in from its registered class and run start-up against Outlook 2003, 2007 and 2010, then unregisters it.
# Installs nothing (scripts/install-deps.sh wine); builds nothing (the windows-x86 preset has built the DLL and the
# harness). Exits non-zero when any scenario fails.
#
#   bash scripts/run-harness-wine.sh [build folder]   (default build/windows-x86)
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build/windows-x86}
for file in "$build/bin/Sealwing.dll" "$build/bin/sealwing_harness.exe"; do
    [[ -f "$file" ]] || { echo "run-harness-wine: $file is missing (cmake --build --preset windows-x86)" >&2; exit 2; }
done

export WINEPREFIX=$root/build/wine-prefix-harness
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
log=$build/harness.log
: >"$log"
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    wineboot -i >>"$log" 2>&1
    wineserver -w
fi
# A Wine session's desktop belongs to the display it started on: start each X session with no wineserver running.
wineserver -k >/dev/null 2>&1
wineserver -w

failures=0
# Everything runs in one X session: registration (whose restart notice finds no Outlook window here), the scenarios
# and the unregistration.
xvfb-run -a bash -c '
    build=$0; log=$1; failures=0
    if ! timeout 120 wine regsvr32 /s "$build/bin/Sealwing.dll" >>"$log" 2>&1; then
        echo "FAIL regsvr32 could not register Sealwing.dll"; exit 1
    fi
    for version in 11 12 14; do
        if timeout 120 wine "$build/bin/sealwing_harness.exe" --outlook-version "$version" --scenario startup \
            >"$log.$version" 2>&1; then
            echo "ok   start-up in Outlook $version, add-in created from its registered class"
        else
            cat "$log.$version"; echo "FAIL start-up in Outlook $version"; failures=$((failures + 1))
        fi
    done
    timeout 120 wine regsvr32 /s /u "$build/bin/Sealwing.dll" >>"$log" 2>&1 ||
        { echo "FAIL regsvr32 /u could not unregister Sealwing.dll"; failures=$((failures + 1)); }
    wineserver -w
    exit $failures
' "$build" "$log" || failures=$?

if ((failures == 0)); then
    echo "run-harness-wine: every scenario passed"
else
    echo "run-harness-wine: $failures failure(s); Wine output in ${log#"$root"/}"
fi
exit "$failures"
