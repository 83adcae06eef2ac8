#!/usr/bin/env bash
# Registers the add-in DLL with Wine's regsvr32 in a throw-away Wine prefix and checks the registry: the
# machine-wide registration, its removal, the per-user registration (DllInstall "user", any case) and "users" (which
# is not "user", so machine-wide). With the probe program it also checks the restart notice under Xvfb.
#
#   bash scripts/test-registration-wine.sh [path/to/Sealwing.dll]    (default: build/windows-x86/bin/Sealwing.dll)
#
# Sealwing_x64.dll (the windows-x64 preset) is registered in a 64-bit prefix of its own, under 64-bit Wine.
# Needs wine and wine32, or wine64 for the 64-bit DLL (scripts/install-deps.sh); xvfb-run for the notice check, which
# is skipped with a message when it is missing. Exit status 0 when every check passed.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

dll=$(realpath -m "${1:-build/windows-x86/bin/Sealwing.dll}")
probe="$(dirname "$dll")/sealwing_registration_probe.exe"
work="$SEALWING_ROOT/build/wine-registration"
log="$work/wine.log"
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
pass() { echo "ok:   $*"; }

for tool in wine wineboot wineserver; do
    if ! command -v "$tool" >/dev/null; then
        echo "test-registration-wine: '$tool' is missing (install wine and wine32)"
        exit 2
    fi
done
[[ -f "$dll" ]] || { echo "test-registration-wine: no DLL at $dll (build the windows-x86 preset first)"; exit 2; }

arch=x86
[[ "$(basename "$dll")" == *_x64.dll ]] && arch=x64
sealwing_use_wine "$arch"
prefix=$work/prefix
[[ "$arch" == x64 ]] && prefix=$work/prefix-x64
typelibPlatform=win32
[[ "$arch" == x64 ]] && typelibPlatform=win64
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY  # nothing here needs a window: a box that could not be shown must fail, not wait
mkdir -p "$work"
: >"$log"
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    echo "test-registration-wine: making a Wine prefix in $WINEPREFIX"
    if ! { "$SEALWING_WINE" wineboot -i && wineserver -w; } >>"$log" 2>&1; then
        echo "test-registration-wine: wineboot failed, see $log"
        exit 1
    fi
fi
sealwing_wine_connect_directly "$SEALWING_WINE"
wineserver -p >>"$log" 2>&1
trap 'wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1' EXIT

clsid='{D5CCAD9E-B3AB-402C-B633-78A9489DCA1B}'
libid='{21C78960-4070-40EE-841D-7C478B12A219}'
addins='Software\Microsoft\Office\Outlook\Addins'
module=$("$SEALWING_WINE" winepath -w "$dll" 2>>"$log" | tr -d '\r')

# The registry's text for a key and everything below it, without Wine's carriage returns and blank lines.
dump() { "$SEALWING_WINE" reg query "$1" /s 2>>"$log" | tr -d '\r' | sed '/^$/d'; }
exists() { "$SEALWING_WINE" reg query "$1" >/dev/null 2>>"$log"; }
regsvr() { timeout 60 "$SEALWING_WINE" regsvr32 "$@" >>"$log" 2>&1; }

expect_exists() { if exists "$1"; then pass "$2"; else fail "$2: $1 is missing"; fi; }
expect_absent() { if exists "$1"; then fail "$2: $1 is still there"; else pass "$2"; fi; }
expect_dump() {
    local actual
    actual=$(dump "$1")
    if [[ "$actual" == "$2" ]]; then
        pass "$3"
    else
        fail "$3: $1 differs"
        diff <(echo "$2") <(echo "$actual") | sed 's/^/      /'
    fi
}

# What the class script writes below a classes root ($1) and the add-in entry below a hive ($2).
expected_class() {
    printf '%s\n' \
        "$1\\CLSID\\$clsid" \
        "    (Default)    REG_SZ    SealwingAddin Class" \
        "$1\\CLSID\\$clsid\\InprocServer32" \
        "    (Default)    REG_SZ    $module" \
        "    ThreadingModel    REG_SZ    Apartment" \
        "$1\\CLSID\\$clsid\\ProgID" \
        "    (Default)    REG_SZ    Sealwing.SealwingAddin.1" \
        "$1\\CLSID\\$clsid\\Programmable" \
        "$1\\CLSID\\$clsid\\TypeLib" \
        "    (Default)    REG_SZ    $libid" \
        "$1\\CLSID\\$clsid\\Version" \
        "    (Default)    REG_SZ    1.0" \
        "$1\\CLSID\\$clsid\\VersionIndependentProgID" \
        "    (Default)    REG_SZ    Sealwing.SealwingAddin"
}
expected_progid() {
    printf '%s\n' "$1\\Sealwing.SealwingAddin.1" "    (Default)    REG_SZ    SealwingAddin Class" \
        "$1\\Sealwing.SealwingAddin.1\\CLSID" "    (Default)    REG_SZ    $clsid"
}
expected_addin() {
    printf '%s\n' "$1\\$addins\\Sealwing.SealwingAddin" \
        "    Description    REG_SZ    Parcelon for Microsoft Outlook" \
        "    FriendlyName    REG_SZ    Parcelon for Microsoft Outlook" \
        "    LoadBehavior    REG_DWORD    0x3"
}

check_machine_wide() {
    local what=$1
    expect_dump "HKLM\\Software\\Classes\\CLSID\\$clsid" "$(expected_class 'HKEY_LOCAL_MACHINE\Software\Classes')" \
        "$what: class key with exactly its subkeys and values"
    expect_dump "HKLM\\Software\\Classes\\Sealwing.SealwingAddin.1" \
        "$(expected_progid 'HKEY_LOCAL_MACHINE\Software\Classes')" "$what: ProgID"
    expect_dump "HKLM\\Software\\Classes\\Sealwing.SealwingAddin" \
        "$(printf '%s\n' 'HKEY_LOCAL_MACHINE\Software\Classes\Sealwing.SealwingAddin' \
            '    (Default)    REG_SZ    SealwingAddin Class' \
            'HKEY_LOCAL_MACHINE\Software\Classes\Sealwing.SealwingAddin\CurVer' \
            '    (Default)    REG_SZ    Sealwing.SealwingAddin.1')" "$what: version-independent ProgID"
    expect_dump "HKLM\\$addins" "$(expected_addin HKEY_LOCAL_MACHINE)" "$what: Outlook add-in entry under HKLM"
    expect_exists "HKLM\\Software\\Classes\\TypeLib\\$libid\\1.0\\0\\$typelibPlatform" "$what: type library registered"
    expect_absent "HKCU\\Software\\Classes\\CLSID\\$clsid" "$what: nothing under the user's classes"
    expect_absent "HKCU\\$addins\\Sealwing.SealwingAddin" "$what: no add-in entry under HKCU"
}

check_removed() {
    local what=$1 hive=$2 classes=$3
    expect_absent "$classes\\CLSID\\$clsid" "$what: class key removed"
    expect_absent "$classes\\Sealwing.SealwingAddin.1" "$what: ProgID removed"
    expect_absent "$classes\\Sealwing.SealwingAddin" "$what: version-independent ProgID removed"
    expect_absent "$hive\\$addins\\Sealwing.SealwingAddin" "$what: add-in entry removed"
    expect_exists "$hive\\$addins" "$what: the Addins key stays"
    expect_exists "$classes\\CLSID" "$what: the CLSID key stays"
}

echo "== machine-wide registration (regsvr32 /s)"
if regsvr /s "$dll"; then pass "regsvr32 succeeded"; else fail "regsvr32 failed (see $log)"; fi
check_machine_wide "register"

echo "== unregistration (regsvr32 /s /u)"
if regsvr /s /u "$dll"; then pass "regsvr32 /u succeeded"; else fail "regsvr32 /u failed (see $log)"; fi
check_removed "unregister" HKLM 'HKLM\Software\Classes'
expect_absent "HKLM\\Software\\Classes\\TypeLib\\$libid" "unregister: type library unregistered"

for command in user USER; do
    echo "== per-user registration (regsvr32 /s /i:$command /n)"
    if regsvr /s "/i:$command" /n "$dll"; then
        pass "DllInstall \"$command\" succeeded"
    else
        fail "DllInstall \"$command\" failed"
    fi
    expect_dump "HKCU\\Software\\Classes\\CLSID\\$clsid" \
        "$(expected_class 'HKEY_CURRENT_USER\Software\Classes')" "$command: class key under the user's classes"
    expect_dump "HKCU\\Software\\Classes\\Sealwing.SealwingAddin.1" \
        "$(expected_progid 'HKEY_CURRENT_USER\Software\Classes')" "$command: ProgID under the user's classes"
    expect_dump "HKCU\\$addins" "$(expected_addin HKEY_CURRENT_USER)" "$command: add-in entry under HKCU"
    expect_absent "HKLM\\Software\\Classes\\CLSID\\$clsid" "$command: nothing under the machine's classes"
    expect_absent "HKLM\\$addins\\Sealwing.SealwingAddin" "$command: no add-in entry under HKLM"

    echo "== per-user unregistration (regsvr32 /s /u /i:$command /n)"
    if regsvr /s /u "/i:$command" /n "$dll"; then
        pass "DllInstall uninstall succeeded"
    else
        fail "DllInstall uninstall failed"
    fi
    check_removed "$command uninstall" HKCU 'HKCU\Software\Classes'
done

echo "== \"users\" is not \"user\" (regsvr32 /s /i:users /n)"
if regsvr /s /i:users /n "$dll"; then pass "DllInstall \"users\" succeeded"; else fail "DllInstall \"users\" failed"; fi
check_machine_wide "users"
regsvr /s /u /i:users /n "$dll" || fail "DllInstall \"users\" uninstall failed"
check_removed "users uninstall" HKLM 'HKLM\Software\Classes'

echo "== COM server through its exports (probe com)"
if [[ -f "$probe" ]]; then
    com_output=$(timeout 120 "$SEALWING_WINE" "$probe" com "$module" 2>>"$log" | tr -d '\r')
    com_status=$?
    sed 's/^ok:   /ok:   com: /; s/^FAIL: /FAIL: com: /' <<<"$com_output"
    failures=$((failures + $(grep -c '^FAIL:' <<<"$com_output")))
    ((com_status == 0)) || [[ $(grep -c '^FAIL:' <<<"$com_output") -gt 0 ]] || fail "com probe exited with $com_status"
fi

echo "== restart notice"
if [[ ! -f "$probe" ]]; then
    fail "no probe program at $probe"
elif ! command -v xvfb-run >/dev/null; then
    echo "skip: xvfb-run is missing (package xvfb): the restart notice is not checked"
else
    # Each case: the window titles to open, then the number of notices expected.
    notice_case() {
        local expected=$1
        shift
        local output
        # Wine's desktop belongs to the session that started it: a fresh one per display, or boxes cannot show.
        wineserver -k >/dev/null 2>&1
        wineserver -w >/dev/null 2>&1
        output=$(timeout 120 xvfb-run -a "$SEALWING_WINE" "$probe" notice "$module" "$@" 2>>"$log" | tr -d '\r')
        local count
        count=$(sed -n 's/^notices=//p' <<<"$output")
        if [[ "$count" != "$expected" ]]; then
            fail "windows [$*]: $count notices, expected $expected"
            sed 's/^/      /' <<<"$output"
            return
        fi
        pass "windows [$*]: $expected notice(s)"
        if [[ "$expected" == 1 ]]; then
            grep -qx 'caption=Parcelon addin for Microsoft Outlook' <<<"$output" || fail "notice caption: $output"
            local text='Please note: You will have to restart Microsoft Outlook prior to using Parcelon for Microsoft Outlook'
            grep -qxF "text=$text" <<<"$output" || fail "notice text: $output"
            grep -qx 'systemmodal=1' <<<"$output" || fail "notice is not system-modal: $output"
        fi
    }
    notice_case 1 "Inbox - Microsoft Outlook" "Calendar - Microsoft Outlook"
    notice_case 0 "Parcelon for Microsoft Outlook - Options"
    notice_case 0 "Notepad"
    regsvr /s /u "$dll" || fail "cleanup after the notice checks failed"
fi

if ((failures > 0)); then
    echo "test-registration-wine: $failures check(s) failed; Wine's output is in $log"
    exit 1
fi
echo "test-registration-wine: all checks passed"
