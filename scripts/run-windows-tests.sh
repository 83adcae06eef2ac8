#!/usr/bin/env bash
# Builds the Windows test programs with the cross compiler and runs them under Wine, headless: a private
# X server from xvfb-run stands in for the display that Wine needs for child windows. Installs nothing: MinGW-w64,
# Wine (wine32 for x86, wine64 for x64), xvfb-run and Debian's googletest sources must be present
# (scripts/install-deps.sh). The Wine prefix is made once per architecture, under build/, and reused. x64 programs are
# started by the 64-bit loader itself, so they also run where the kernel cannot start 32-bit programs.
#
#   bash scripts/run-windows-tests.sh [x86|x64] [gtest arguments...]   (default x86)
#
# SEALWING_WINDOWS_TESTS_BUILD names another build folder than build/windows-<arch> (configured from the preset when
# it is new) and SEALWING_WINDOWS_TESTS_WINEPREFIX another Wine prefix than build/wine-prefix-<arch>.
#
# A program that talks to the service (SERVICE_SEEDS below) gets a local service of its own for its run, started
# natively from its seed: the script builds sealwing-localservice in the native tree, build/native or the one
# SEALWING_WINDOWS_TESTS_NATIVE names (configured from the native preset when it is new), and hands the program the
# service's address and the Windows path of its test CA in SEALWING_SERVICE_ENDPOINT and SEALWING_SERVICE_CA.
#
# Exits with the test program's status and prints GoogleTest's summary (the whole output when something failed).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/common.sh
source "$root/scripts/common.sh"
arch=x86
if [[ $# -gt 0 && ( "$1" == x86 || "$1" == x64 ) ]]; then
    arch=$1
    shift
fi
preset=windows-$arch

for tool in cmake wine wineboot wineserver xvfb-run; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "run-windows-tests: '$tool' is missing (scripts/install-deps.sh installs it)" >&2
        exit 2
    fi
done

cd "$root"
# The Windows test programs: the adapters' tests, the object-model, MAPI and account-management adapters against
# the served simulated Outlook, the add-in's COM object and event sinks in-process, the options dialog and the
# attachment download's dialog.
programs=(sealwing_win32_tests sealwing_dispatch_tests sealwing_addin_tests sealwing_options_tests
    sealwing_download_tests sealwing_service_tests)
# The programs that talk to a local service, each with the seed of its own.
declare -A SERVICE_SEEDS=([sealwing_options_tests]=options/win32/OptionsService.seed
    [sealwing_download_tests]=reading/win32/DownloadService.seed
    [sealwing_service_tests]=service/win32/FaultMatrixService.seed)
# Services that take their faults over HTTP from the program, case by case.
declare -A SERVICE_OPTIONS=([sealwing_service_tests]=--seed-control)
build=$root/build/$preset
if [[ -n "${SEALWING_WINDOWS_TESTS_BUILD:-}" ]]; then
    build=$(realpath -m "$SEALWING_WINDOWS_TESTS_BUILD")
    if [[ -f "$build/CMakeCache.txt" ]]; then
        cmake "$build" -DSEALWING_WINDOWS_TESTS=ON >/dev/null
    else
        cmake --preset "$preset" -B "$build" -DCMAKE_RUNTIME_OUTPUT_DIRECTORY="$build/bin" -DSEALWING_WINDOWS_TESTS=ON \
            >/dev/null
    fi
    cmake --build "$build" --target "${programs[@]}"
else
    cmake --preset "$preset" -DSEALWING_WINDOWS_TESTS=ON >/dev/null
    cmake --build --preset "$preset" --target "${programs[@]}"
fi

native=$(realpath -m "${SEALWING_WINDOWS_TESTS_NATIVE:-$root/build/native}")
if [[ -f "$native/CMakeCache.txt" ]]; then
    cmake "$native" >/dev/null
else
    cmake --preset native -B "$native" -DCMAKE_RUNTIME_OUTPUT_DIRECTORY="$native/bin" >/dev/null
fi
cmake --build "$native" --target sealwing-localservice

# WINEARCH, and the loader that starts every program (for x64 the 64-bit loader itself: see common.sh).
sealwing_use_wine "$arch"
export WINEPREFIX=$(realpath -m "${SEALWING_WINDOWS_TESTS_WINEPREFIX:-$root/build/wine-prefix-$arch}")
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    echo "run-windows-tests: making the Wine prefix $WINEPREFIX"
    "$SEALWING_WINE" wineboot -i >/dev/null 2>&1
    wineserver -w
fi
# Without a window manager, Wine waits about two seconds for each managed window to be mapped; unmanaged, Wine maps
# it at once and draws its caption itself, so the dialog tests run quickly and their screenshots show the caption.
if ! grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg"; then
    "$SEALWING_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
fi
sealwing_wine_connect_directly "$SEALWING_WINE"

# Tests left out of a program's run: "<program> <test>" each.
left_out=()
if [[ "$arch" == x64 ]]; then
    # This test calls mapi32.dll's own HrGetOneProp. A 64-bit program imports it by its plain name, the one 64-bit
    # MAPI exports (x64 has no stdcall decoration), but Wine 8's 64-bit mapi32.dll exports it only as
    # "HrGetOneProp@12", a 32-bit name: the call aborts the whole program ("unimplemented function
    # MAPI32.dll.HrGetOneProp"). The add-in itself never calls it (it reads one property through IMAPIProp::GetProps),
    # and the 32-bit run keeps the test.
    left_out+=("sealwing_dispatch_tests MapiAdapterTest.Mapi32sOwnHrGetOnePropReadsAServedObject")
fi

# gtest_arguments <program> <arguments...>: the arguments, with the program's left-out tests added to its filter (the
# one given, if any, else every test).
gtest_arguments() {
    local program=$1 entry exclude="" filter="" argument
    shift
    for entry in "${left_out[@]}"; do
        [[ "${entry%% *}" == "$program" ]] && exclude+="${exclude:+:}${entry#* }"
    done
    if [[ -z "$exclude" ]]; then
        if (($# > 0)); then printf '%s\0' "$@"; fi
        return
    fi
    for argument in "$@"; do
        if [[ "$argument" == --gtest_filter=* ]]; then
            filter=${argument#--gtest_filter=}
        else
            printf '%s\0' "$argument"
        fi
    done
    if [[ "$filter" == *-* ]]; then filter+=":$exclude"; else filter="${filter:-*}-$exclude"; fi
    printf '%s\0' "--gtest_filter=$filter"
}

# shellcheck source=scripts/local-services.sh
source "$root/scripts/local-services.sh"
trap stop_services EXIT
# start_service <program> <seed>: a local service for the program's run, its address and the Windows path of its CA
# (Wine's drive Z: is the root folder) in service_environment. It reads its stdin from a pipe this script holds, so
# it stops when the script ends, however it ends.
service_environment=()
start_service() {
    local work=$build/$1-service fd path
    rm -rf "$work"
    mkdir -p "$work"
    # shellcheck disable=SC2086 # the options are words
    exec {fd}> >(exec "$native/bin/sealwing-localservice" --seed "$root/$2" --cert-dir "$work/certificates" \
        ${SERVICE_OPTIONS[$1]:-} >"$work/out" 2>"$work/err")
    services+=("$fd:$!")
    for _ in $(seq 100); do
        if grep -q '^ca=' "$work/out" 2>/dev/null; then
            path=$(sed -n 's/^ca=//p' "$work/out")
            service_environment=("SEALWING_SERVICE_ENDPOINT=localhost:$(sed -n 's/^port=//p' "$work/out")"
                "SEALWING_SERVICE_CA=Z:${path//\//\\}")
            return 0
        fi
        kill -0 "$!" 2>/dev/null || break
        sleep 0.1
    done
    cat "$work/err" >&2
    echo "run-windows-tests ($arch): the local service for $1 did not start" >&2
    return 1
}

overall=0
for name in "${programs[@]}"; do
    program=$build/bin/$name.exe
    log=$build/$name.log
    status=0
    mapfile -d '' arguments < <(gtest_arguments "$name" "$@")
    for entry in "${left_out[@]}"; do
        [[ "${entry%% *}" == "$name" ]] &&
            echo "run-windows-tests ($arch): $name runs without ${entry#* }, which Wine cannot run (see this script)"
    done
    service_environment=()
    if [[ -v "SERVICE_SEEDS[$name]" ]] && ! start_service "$name" "${SERVICE_SEEDS[$name]}"; then
        overall=2
        continue
    fi
    # The wineserver is waited for inside the X session, so it never outlives its display. Wine gets none of the
    # services' pipes, which would keep the services alive.
    (close_pipes; exec env "${service_environment[@]}" xvfb-run -a bash -c \
        '"$0" "$@"; status=$?; wineserver -w; exit $status' "$SEALWING_WINE" "$program" "${arguments[@]}") \
        >"$log" 2>&1 || status=$?
    stop_services
    if [[ $status -ne 0 ]]; then
        cat "$log"
        # What the program's service saw, so that a failure of the network shows itself ("stopped after N requests").
        if [[ -v "SERVICE_SEEDS[$name]" ]]; then
            echo "run-windows-tests ($arch): $name's local service said:"
            sed 's/^/    /' "$build/$name-service/err" "$build/$name-service/out" 2>/dev/null
        fi
        overall=$status
    else
        grep -E '^\[==========\]|^\[  (PASSED|FAILED|SKIPPED) +\]' "$log" || true
    fi
    echo "run-windows-tests ($arch): $name exit status $status; full output in ${log#"$root"/}"
done
# Screenshots the dialog tests keep for a person to look at.
if compgen -G "$build/artefacts/*.png" >/dev/null; then
    echo "run-windows-tests ($arch): screenshots in ${build#"$root"/}/artefacts/"
fi
exit "$overall"
