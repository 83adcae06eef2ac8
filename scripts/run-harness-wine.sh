#!/usr/bin/env bash
# The real add-in DLL in the simulated Outlook under Wine: registers the DLL with regsvr32, lets the harness create
# the add-in from its registered class and run start-up against Outlook 2003, 2007 and 2010, follows the add-in into
# the MAPI store and Outlook's account-management service in each (the "mailstore" scenario), then unregisters it.
# Start-up's version check reaches the local service over real TLS: two services run natively for the length of the
# script, one offering a newer add-in (sim/win32/HarnessService.seed), one without a version file
# (sim/win32/HarnessServiceNoVersion.seed), whose warning box the harness answers. For each run the harness trusts
# the service's test CA in this script's own Wine prefix, and forgets it afterwards. The "story" scenario plays the
# user's day with the add-in in each version against a third service (sim/win32/HarnessStoryService.seed), which
# records the requests it receives for the harness to check.
# Installs nothing (scripts/install-deps.sh wine); builds nothing (the windows-x86 or windows-x64 preset has built the
# DLL and the harness, the native preset the local service). Exits non-zero when any scenario fails.
#
#   bash scripts/run-harness-wine.sh [windows build folder] [native build folder]
#                                    (defaults build/windows-x86 and build/native)
#
# A Windows folder configured for x86_64 (the windows-x64 preset) holds Sealwing_x64.dll and a 64-bit harness: they run
# under 64-bit Wine, started by its own loader, so also where the kernel cannot start 32-bit programs.
# SEALWING_HARNESS_WINEPREFIX names another Wine prefix than build/wine-prefix-harness (build/wine-prefix-harness-x64
# for a 64-bit folder); each architecture needs a prefix of its own.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath -m "${1:-$root/build/windows-x86}")
native=$(realpath -m "${2:-$root/build/native}")
# shellcheck source=scripts/common.sh
source "$root/scripts/common.sh"
for tool in wine wineboot wineserver xvfb-run; do
    command -v "$tool" >/dev/null 2>&1 ||
        { echo "run-harness-wine: '$tool' is missing (scripts/install-deps.sh wine installs it)" >&2; exit 2; }
done
# The folder's architecture: its compiler's, or else the DLL it holds.
arch=x86
if grep -qs '^CMAKE_TOOLCHAIN_FILE:.*x86_64' "$build/CMakeCache.txt" ||
    [[ ! -f "$build/CMakeCache.txt" && -f "$build/bin/Sealwing_x64.dll" ]]; then
    arch=x64
fi
dll=$build/bin/Sealwing.dll
prefix=$root/build/wine-prefix-harness
if [[ "$arch" == x64 ]]; then
    dll=$build/bin/Sealwing_x64.dll
    prefix=$root/build/wine-prefix-harness-x64
fi
for file in "$dll" "$build/bin/sealwing_harness.exe"; do
    [[ -f "$file" ]] ||
        { echo "run-harness-wine: $file is missing (cmake --build --preset windows-$arch)" >&2; exit 2; }
done
service=$native/bin/sealwing-localservice
[[ -x "$service" ]] || { echo "run-harness-wine: $service is missing (cmake --build --preset native)" >&2; exit 2; }

# WINEARCH, and in SEALWING_WINE the loader that starts every program (for x64 the 64-bit one itself: common.sh).
sealwing_use_wine "$arch"
export WINEPREFIX=${SEALWING_HARNESS_WINEPREFIX:-$prefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
log=$build/harness.log
: >"$log"
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    timeout 300 "$SEALWING_WINE" wineboot -i >>"$log" 2>&1
    timeout 60 wineserver -w
fi
# Unmanaged windows are mapped at once; with no window manager, Wine would wait for each message box to be mapped.
if ! grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg"; then
    timeout 60 "$SEALWING_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$log" 2>&1
fi
sealwing_wine_connect_directly "$SEALWING_WINE"
# A Wine session's desktop belongs to the display it started on: start each X session with no wineserver running.
# Wine keeps the prefix's trusted roots for the life of its wineserver only, so this also drops a CA that a killed run
# could not forget.
wineserver -k >/dev/null 2>&1
timeout 60 wineserver -w

work=$build/harness-run
rm -rf "$work"
mkdir -p "$work"
# shellcheck source=scripts/local-services.sh
source "$root/scripts/local-services.sh"
# A service reads its stdin from a pipe this script holds, so it stops when the script ends, however it ends.
start_service() {
    local name=$1 seed=$2 fd
    shift 2
    exec {fd}> >(exec "$service" --seed "$seed" --cert-dir "$work/$name-certificates" "$@" >"$work/$name.out" \
        2>"$work/$name.err")
    services+=("$fd:$!")
}
trap stop_services EXIT
# Both start while the X session starts: each makes its own CA, which takes a moment.
start_service newer "$root/sim/win32/HarnessService.seed"
start_service noversion "$root/sim/win32/HarnessServiceNoVersion.seed"
# The story's service writes each request it receives into a folder, where the harness reads what arrived.
start_service story "$root/sim/win32/HarnessStoryService.seed" --record "$work/story-requests"
offered=$(sed -nE 's/^version major=([0-9]+) minor=([0-9]+).*/\1.\2/p' "$root/sim/win32/HarnessService.seed")

failures=0
# Everything runs in one X session: registration (whose restart notice finds no Outlook window here), the scenarios
# and the unregistration. Wine gets none of the services' pipes, which would keep the services alive.
(
    close_pipes
    exec timeout 300 xvfb-run -a bash -c '
        build=$0; log=$1; work=$2; offered=$3; dll=$4; wine=$5; failures=0
        # service <name>: once the service listens, its port and the Windows path of its CA (drive Z: is the root).
        service() {
            local path
            for _ in $(seq 200); do
                if grep -q "^ca=" "$work/$1.out" 2>/dev/null; then
                    path=$(sed -n "s/^ca=//p" "$work/$1.out")
                    echo "$(sed -n "s/^port=//p" "$work/$1.out") Z:${path//\//\\}"
                    return 0
                fi
                sleep 0.05
            done
            cat "$work/$1.err"
            return 1
        }
        # harness <log name> <what it proves> <service name> <scenario> <harness arguments...>
        harness() {
            local name=$1 what=$2 scenario=$4 address
            if ! address=$(service "$3"); then
                echo "$address"; echo "FAIL $what: the $3 service did not start"; failures=$((failures + 1))
                return
            fi
            shift 4
            if SEALWING_SERVICE_ENDPOINT=localhost:${address%% *} timeout 120 "$wine" \
                "$build/bin/sealwing_harness.exe" --scenario "$scenario" --trust-ca "${address#* }" "$@" \
                >"$log.$name" 2>&1; then
                echo "ok   $what"
            else
                cat "$log.$name"
                # What the add-in itself logged of its requests, to tell a slow or failing network from the rest.
                for addin_log in "$WINEPREFIX"/drive_c/users/*/AppData/Local/Parcelon/*.log; do
                    [[ -f "$addin_log" ]] || continue
                    echo "     ${addin_log##*/}, its requests:"
                    awk "/Log opened/ { at = \$2 } /NETWORK|response|rror/ { print \"       \" at \" \" \$0 }" \
                        "$addin_log" | tail -n 12
                done
                echo "FAIL $what"; failures=$((failures + 1))
            fi
        }
        if ! timeout 120 "$wine" regsvr32 /s "$dll" >>"$log" 2>&1; then
            echo "FAIL regsvr32 could not register ${dll##*/}"; exit 1
        fi
        for version in 11 12 14; do
            harness "$version" "start-up in Outlook $version, add-in created from its registered class; the service\
 offers $offered, the add-in announces it" newer startup --outlook-version "$version" --expect-version "$offered"
        done
        harness 14-noversion "start-up in Outlook 14, no version file on the service: one \"Security warning\" box,\
 answered, and start-up completed" noversion startup --outlook-version 14 --expect-version missing
        harness 11-mailstore "mail store in Outlook 11: start-up lists the accounts through the account-management\
 service (CoCreateInstance, IOlkAccountHelper) and the profile section, frees and releases all of it" newer mailstore \
            --outlook-version 11
        harness 12-mailstore "mail store in Outlook 12: the account list through the account-management service; a\
 Google Apps copy left alone without an error, as Outlook 2007 has no delivery store" newer mailstore \
            --outlook-version 12
        harness 14-mailstore "mail store in Outlook 14: the account list through the account-management service; a\
 Google Apps copy read by its header, marked read and deleted for good through MAPI" newer mailstore \
            --outlook-version 14
        record="Z:${work//\//\\}\\story-requests"
        for version in 11 12 14; do
            harness "$version-story" "the story in Outlook $version: start-up with the ribbon or command bar, Send\
 Secure refused at 21 attachments and sent with 20 after the login dialog, the Sent copy and the draft deleted, the\
 secure notice in the reading pane, Reply All and Forward filled, Options and About" story story \
                --outlook-version "$version" --service-record "$record"
        done
        timeout 120 "$wine" regsvr32 /s /u "$dll" >>"$log" 2>&1 ||
            { echo "FAIL regsvr32 /u could not unregister ${dll##*/}"; failures=$((failures + 1)); }
        # Asked to stop, the wineserver saves the registry and ends at once; left alone it would linger for seconds.
        wineserver -k >/dev/null 2>&1
        timeout 60 wineserver -w
        exit $failures
    ' "$build" "$log" "$work" "$offered" "$dll" "$SEALWING_WINE"
) || failures=$?
stop_services

if ((failures == 0)); then
    echo "run-harness-wine: every scenario passed"
else
    echo "run-harness-wine: $failures failure(s); Wine output in ${log#"$root"/}"
fi
exit "$failures"
