#!/usr/bin/env bash
# The Windows HTTP adapter (WinHTTP) under Wine against the local service, over real TLS. Starts two local services
# natively (sealwing-localservice, seeded from platform/win32/testdata/WinHttpService.seed, each recording what it
# receives into a folder, which the test program reads through Wine's drive Z:). The test program trusts the first one's
# CA for its run in the root store of this script's own Wine prefix (build/wine-prefix-winhttp), never the machine's,
# and never trusts the second one's. The first one also keeps a port that accepts connections and never answers.
# Then the services are stopped.
# Installs nothing (scripts/install-deps.sh wine); builds only its two targets in the given trees, which the normal
# presets have mostly built already.
#
#   bash scripts/run-winhttp-wine.sh [windows build folder] [native build folder] [gtest arguments...]
#                                    (defaults build/windows-x86 and build/native)
#
# A Windows folder configured for x86_64 (the windows-x64 preset) runs under 64-bit Wine, in the prefix
# build/wine-prefix-winhttp-x64; it then needs Debian's wine64 only, so it also runs on a kernel that cannot start
# 32-bit programs, where the wine32 loader fails with "Exec format error".
#
# Exits with the test program's status; GoogleTest's output goes to <windows build folder>/sealwing_winhttp_tests.log
# (the summary is printed, the whole log when something failed).
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
windows=$root/build/windows-x86
native=$root/build/native
if [[ $# -gt 0 && "$1" != -* ]]; then windows=$(realpath -m "$1"); shift; fi
if [[ $# -gt 0 && "$1" != -* ]]; then native=$(realpath -m "$1"); shift; fi
# shellcheck source=scripts/common.sh
source "$root/scripts/common.sh"
for tool in cmake wine wineserver; do
    command -v "$tool" >/dev/null 2>&1 ||
        { echo "run-winhttp-wine: '$tool' is missing (scripts/install-deps.sh installs it)" >&2; exit 2; }
done

# configure_tree <build folder> <preset> [cache settings...]: a tree that exists keeps its settings, plus the given
# ones; a missing one is made from the preset.
configure_tree() {
    local build=$1 preset=$2
    shift 2
    if [[ -f "$build/CMakeCache.txt" ]]; then
        cmake "$build" "$@"
    else
        cmake --preset "$preset" -B "$build" -DCMAKE_RUNTIME_OUTPUT_DIRECTORY="$build/bin" "$@"
    fi
}
preset="windows-x86"
if grep -qs '^CMAKE_TOOLCHAIN_FILE:.*x86_64' "$windows/CMakeCache.txt"; then preset="windows-x64"; fi
log=$windows/sealwing_winhttp_tests.log
mkdir -p "$windows"
rm -f "$log"
if ! { configure_tree "$windows" "$preset" -DSEALWING_WINDOWS_TESTS=ON &&
    cmake --build "$windows" --target sealwing_winhttp_tests &&
    configure_tree "$native" native && cmake --build "$native" --target sealwing-localservice; } \
    >"$windows/winhttp-build.log" 2>&1; then
    cat "$windows/winhttp-build.log"
    echo "run-winhttp-wine: the build failed" >&2
    exit 2
fi

wine=wine
if [[ $preset == windows-x64 ]]; then
    export WINEPREFIX=$root/build/wine-prefix-winhttp-x64
    export WINEARCH=win64
    # Debian's wine command starts the 32-bit loader whenever it is installed, and that loader then starts the 64-bit
    # one; started directly, the 64-bit loader needs no 32-bit support from the kernel.
    if [[ -x /usr/lib/wine/wine64 ]]; then
        wine=/usr/lib/wine/wine64
        export WINELOADER=$wine
    fi
else
    export WINEPREFIX=$root/build/wine-prefix-winhttp
    export WINEARCH=win32
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    echo "run-winhttp-wine: making the Wine prefix ${WINEPREFIX#"$root"/}"
    "$wine" wineboot -i >/dev/null 2>&1
    wineserver -w
fi
sealwing_wine_connect_directly "$wine"
# Wine caches the root certificates for the life of the wineserver: start with none running, so this run's CA counts.
wineserver -k >/dev/null 2>&1
wineserver -w

work=$windows/winhttp-run
rm -rf "$work"
mkdir -p "$work"
# shellcheck source=scripts/local-services.sh
source "$root/scripts/local-services.sh"
# start_service <name> [service options...]. A service reads its stdin from a pipe this script holds, so it stops when
# the script ends, however it ends.
start_service() {
    local name=$1 fd
    shift
    exec {fd}> >(exec "$native/bin/sealwing-localservice" --seed "$root/platform/win32/testdata/WinHttpService.seed" \
        --cert-dir "$work/$name-certificates" --record "$work/$name-requests" "$@" >"$work/$name.out" \
        2>"$work/$name.err")
    services+=("$fd:$!")
    for _ in $(seq 100); do
        grep -q '^ca=' "$work/$name.out" 2>/dev/null && return 0
        kill -0 "$!" 2>/dev/null || break
        sleep 0.1
    done
    cat "$work/$name.err" >&2
    echo "run-winhttp-wine: the $name service did not start" >&2
    return 1
}
trap stop_services EXIT
start_service trusted --silent-port-file "$work/silent-port" && start_service untrusted || exit 2

# Windows paths of Linux files: Wine's drive Z: is the root folder.
windows_path() { local path=${1//\//\\}; echo "Z:$path"; }
value() { sed -n "s/^$1=//p" "$work/$2.out"; }
SEALWING_SERVICE_ENDPOINT=localhost:$(value port trusted)
SEALWING_SERVICE_CA=$(windows_path "$(value ca trusted)")
SEALWING_SERVICE_RECORD=$(windows_path "$work/trusted-requests")
SEALWING_UNTRUSTED_ENDPOINT=localhost:$(value port untrusted)
SEALWING_UNTRUSTED_RECORD=$(windows_path "$work/untrusted-requests")
SEALWING_SILENT_ENDPOINT=localhost:$(cat "$work/silent-port")
export SEALWING_SERVICE_ENDPOINT SEALWING_SERVICE_CA SEALWING_SERVICE_RECORD SEALWING_UNTRUSTED_ENDPOINT \
    SEALWING_UNTRUSTED_RECORD SEALWING_SILENT_ENDPOINT

status=0
# Wine and its wineserver get none of the services' pipes, which would keep the services alive.
(close_pipes; exec timeout 300 "$wine" "$windows/bin/sealwing_winhttp_tests.exe" "$@") >"$log" 2>&1 || status=$?
wineserver -w
stop_services
if [[ $status -ne 0 ]]; then
    cat "$log"
else
    grep -E '^\[==========\]|^\[  (PASSED|FAILED|SKIPPED) +\]' "$log" || true
fi
echo "run-winhttp-wine: sealwing_winhttp_tests exit status $status; full output in ${log#"$root"/}"
exit "$status"
