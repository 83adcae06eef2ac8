#!/usr/bin/env bash
# Builds the Windows test programs with the cross compiler and runs them under Wine, headless: a private
# X server from xvfb-run stands in for the display that Wine needs for child windows. Installs nothing: MinGW-w64,
# Wine (32-bit; wine64 as well for x64), xvfb-run and Debian's googletest sources must be present
# (scripts/install-deps.sh). The Wine prefix is made once, under build/, and reused.
#
#   bash scripts/run-windows-tests.sh [x86|x64] [gtest arguments...]   (default x86)
#
# SEALWING_WINDOWS_TESTS_BUILD names another build folder than build/windows-<arch> (configured from the preset when
# it is new) and SEALWING_WINDOWS_TESTS_WINEPREFIX another Wine prefix than build/wine-prefix-<arch>.
#
# Exits with the test program's status and prints GoogleTest's summary (the whole output when something failed).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
arch=x86
if [[ $# -gt 0 && ( "$1" == x86 || "$1" == x64 ) ]]; then
    arch=$1
    shift
fi
preset=windows-$arch
case "$arch" in
    x86) winearch=win32 ;;
    x64) winearch=win64 ;;
esac

for tool in cmake wine wineboot wineserver xvfb-run; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "run-windows-tests: '$tool' is missing (scripts/install-deps.sh installs it)" >&2
        exit 2
    fi
done

cd "$root"
# The Windows test programs: the adapters' tests, the object-model, MAPI and account-management adapters against
# the served simulated Outlook, and the add-in's COM object and event sinks in-process.
programs=(sealwing_win32_tests sealwing_dispatch_tests sealwing_addin_tests)
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

export WINEPREFIX=${SEALWING_WINDOWS_TESTS_WINEPREFIX:-$root/build/wine-prefix-$arch}
export WINEARCH=$winearch
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    echo "run-windows-tests: making the Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
fi
# Without a window manager, Wine waits about two seconds for each managed window to be mapped; unmanaged, Wine maps
# it at once and draws its caption itself, so the dialog tests run quickly and their screenshots show the caption.
if ! grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg"; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
fi

overall=0
for name in "${programs[@]}"; do
    program=$build/bin/$name.exe
    log=$build/$name.log
    status=0
    # The wineserver is waited for inside the X session, so it never outlives its display.
    xvfb-run -a bash -c 'wine "$0" "$@"; status=$?; wineserver -w; exit $status' "$program" "$@" >"$log" 2>&1 ||
        status=$?
    if [[ $status -ne 0 ]]; then
        cat "$log"
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
