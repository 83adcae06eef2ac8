#!/usr/bin/env bash
# The installer packages under Wine's msiexec, in throw-away Wine prefixes (build/wine-msi/):
#   - signing: scripts/package-msi.sh signs both DLLs and both packages with a certificate made here, each signature
#     verifies against this run's CA, tampered copies do not, and without a certificate nothing is signed;
#   - per user, /qn: the DLL in place, the keys that per-user regsvr32 writes (its reference taken here with the DLL
#     at the same path), the add-in created through the installed DLL's DllGetClassObject and started in the
#     simulated Outlook 2010 against a local service; uninstall removes every file and key of the add-in and keeps
#     the user's saved credentials, settings and activity logs, and other add-ins' entries;
#   - per machine (ALLUSERS=1, with DONOTDISABLE=1): the same keys under HKLM, the DLL under Program Files, the
#     resiliency list; uninstall leaves nothing of it and keeps the user's data;
#   - upgrade: a package of a later version replaces the DLL and keeps the user's data and the registration;
#   - the 64-bit package in a 64-bit prefix under wine64 (the main run when the architecture is x64); with x64, also
#     the 32-bit package there per machine, in Program Files (x86) and the registry's 32-bit view.
#
#   bash scripts/test-msi-wine.sh [x86|x64]     (default: what this machine's Wine runs, scripts/common.sh)
#
# Needs both Windows builds (the DLLs, and the harness of the architecture tested), the native tree's local service,
# wine (wine32 for x86, wine64), xvfb-run, wixl, msitools, osslsigncode and openssl. Prints one "ok:" or "FAIL:" line
# per check; exit status 0 when all passed.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

arch=${1:-$(sealwing_wine_arch)}
[[ "$arch" == x86 || "$arch" == x64 ]] || { echo "usage: test-msi-wine.sh [x86|x64]" >&2; exit 2; }
work=$SEALWING_ROOT/build/wine-msi
log=$work/wine.log
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
pass() { echo "ok:   $*"; }
check() {  # check <description> <command...>
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

for tool in wine wineboot wineserver xvfb-run wixl msibuild osslsigncode openssl; do
    command -v "$tool" >/dev/null || { echo "test-msi-wine: '$tool' is missing (scripts/install-deps.sh wine)" >&2; exit 2; }
done
for file in build/windows-x86/bin/Sealwing.dll build/windows-x64/bin/Sealwing_x64.dll \
    "build/windows-$arch/bin/sealwing_harness.exe" build/native/bin/sealwing-localservice; do
    [[ -f "$file" ]] || { echo "test-msi-wine: $file is missing (build the windows-x86, windows-x64 and native presets)" >&2; exit 2; }
done
rm -rf "$work"
mkdir -p "$work"
: >"$log"

clsid='{D5CCAD9E-B3AB-402C-B633-78A9489DCA1B}'
libid='{21C78960-4070-40EE-841D-7C478B12A219}'
iid='{CE895442-9981-4315-AA85-4B9A5C7739D8}'
addins='Software\Microsoft\Office\Outlook\Addins'

echo "== signing"
signing=$work/signing
mkdir -p "$signing"
# A CA of this run and a code-signing certificate from it.
if ! {
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Parcelon Test Root" -keyout "$signing/ca.key" \
        -out "$signing/ca.pem" -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign"
    openssl req -newkey rsa:2048 -nodes -subj "/CN=Parcelon Test Signing" -keyout "$signing/sign.key" \
        -out "$signing/sign.csr"
    printf '%s\n' "basicConstraints=CA:FALSE" "keyUsage=critical,digitalSignature" "extendedKeyUsage=codeSigning" \
        >"$signing/ext.cnf"
    openssl x509 -req -in "$signing/sign.csr" -CA "$signing/ca.pem" -CAkey "$signing/ca.key" -CAcreateserial \
        -days 2 -extfile "$signing/ext.cnf" -out "$signing/sign.pem"
} >>"$log" 2>&1; then
    echo "test-msi-wine: could not make the test certificates (see $log)"
    exit 1
fi
packages=$work/packages
if ! SEALWING_SIGN_CERT=$signing/sign.pem SEALWING_SIGN_KEY=$signing/sign.key \
    bash scripts/package-msi.sh --out "$packages" >>"$log" 2>&1; then
    echo "test-msi-wine: scripts/package-msi.sh failed (see $log)"
    exit 1
fi
verifies() { osslsigncode verify -CAfile "$2" -in "$1" >>"$log" 2>&1; }
fails_verification() { ! verifies "$@"; }
# Verifies against this run's CA, with a SHA-256 digest.
signed_sha256() {
    local report
    report=$(osslsigncode verify -CAfile "$signing/ca.pem" -in "$1" 2>&1)
    local status=$?
    echo "$report" >>"$log"
    ((status == 0)) && grep -qiE '^Message digest algorithm *: *SHA256' <<<"$report"
}
for file in x86/Sealwing.dll x64/Sealwing_x64.dll Parcelon.msi Parcelon_x64.msi; do
    check "${file##*/} is signed (SHA-256) and verifies against this run's CA" signed_sha256 "$packages/$file"
done
# One byte changed in the middle of the signed DLL (its code), and in the package.
tamper() {
    cp "$1" "$2"
    local size
    size=$(stat -c %s "$2")
    printf '\x5a' | dd of="$2" bs=1 seek=$((size / 2)) conv=notrunc status=none
    cmp -s "$1" "$2" && printf '\xa5' | dd of="$2" bs=1 seek=$((size / 2)) conv=notrunc status=none
}
tamper "$packages/x86/Sealwing.dll" "$signing/tampered.dll"
check "a tampered copy of the signed Sealwing.dll fails verification" \
    fails_verification "$signing/tampered.dll" "$signing/ca.pem"
tamper "$packages/Parcelon.msi" "$signing/tampered.msi"
check "a tampered copy of the signed Parcelon.msi fails verification" \
    fails_verification "$signing/tampered.msi" "$signing/ca.pem"
# The same DLL verified against another CA fails too: the check is the certificate's, not only the digest's.
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Other Root" -keyout "$signing/other.key" \
    -out "$signing/other.pem" >>"$log" 2>&1
check "the signed DLL does not verify against another CA" \
    fails_verification "$packages/x86/Sealwing.dll" "$signing/other.pem"
unsigned=$work/unsigned
if env -u SEALWING_SIGN_CERT -u SEALWING_SIGN_KEY bash scripts/package-msi.sh --only x64 --out "$unsigned" \
    >>"$log" 2>&1; then
    unsigned_files() {
        ! osslsigncode extract-signature -in "$unsigned/x64/Sealwing_x64.dll" -out "$unsigned/dll.p7" >>"$log" 2>&1 &&
            ! osslsigncode extract-signature -in "$unsigned/Parcelon_x64.msi" -out "$unsigned/msi.p7" >>"$log" 2>&1 &&
            cmp -s "$unsigned/x64/Sealwing_x64.dll" build/windows-x64/bin/Sealwing_x64.dll
    }
    check "without a certificate nothing is signed (DLL and package)" unsigned_files
else
    fail "scripts/package-msi.sh without a certificate failed (see $log)"
fi

# ---- Wine
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
# new_prefix <arch> <folder>: a fresh prefix, its wineserver kept running.
new_prefix() {
    sealwing_use_wine "$1"
    export WINEPREFIX=$2
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
    if ! { timeout 300 "$SEALWING_WINE" wineboot -i && timeout 60 wineserver -w; } >>"$log" 2>&1; then
        echo "test-msi-wine: wineboot failed in $2 (see $log)"
        exit 1
    fi
    timeout 60 "$SEALWING_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$log" 2>&1
    sealwing_wine_connect_directly "$SEALWING_WINE"
    wineserver -p >>"$log" 2>&1
}
trap 'wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1' EXIT
wine_() { timeout 120 "$SEALWING_WINE" "$@"; }
msi() { wine_ msiexec "$@" /qn >>"$log" 2>&1; }
dump() { wine_ reg query "$1" /s 2>>"$log" | tr -d '\r' | sed '/^$/d'; }
exists() { wine_ reg query "$1" >/dev/null 2>&1; }
unix_path() { wine_ winepath -u "$1" 2>>"$log" | tr -d '\r'; }
windows_path() { wine_ winepath -w "$1" 2>>"$log" | tr -d '\r'; }
expect_same() {  # expect_same <description> <expected> <actual>
    if [[ "$2" == "$3" ]]; then
        pass "$1"
    else
        fail "$1"
        diff <(echo "$2") <(echo "$3") | sed 's/^/      /'
    fi
}
expect_absent() { if exists "$1"; then fail "$2: $1 is still there"; else pass "$2"; fi; }
expect_exists() { if exists "$1"; then pass "$2"; else fail "$2: $1 is missing"; fi; }

# The add-in's keys below a hive's classes key ($1, e.g. HKCU\Software\Classes) and its Outlook entry ($2, a hive).
classes_dump() {
    dump "$1\\CLSID\\$clsid"
    dump "$1\\Sealwing.SealwingAddin.1"
    dump "$1\\Sealwing.SealwingAddin"
}
typelib_dump() {
    dump "$1\\TypeLib\\$libid"
    dump "$1\\Interface\\$iid"
}
# Which of the add-in's keys are still anywhere: none after an uninstall.
leftover_keys() {
    local hive classes
    for hive in HKCU HKLM; do
        classes="$hive\\Software\\Classes"
        for key in "$classes\\CLSID\\$clsid" "$classes\\Sealwing.SealwingAddin.1" "$classes\\Sealwing.SealwingAddin" \
            "$classes\\TypeLib\\$libid" "$classes\\Interface\\$iid" "$hive\\$addins\\Sealwing.SealwingAddin" \
            "$hive\\Software\\Microsoft\\Office\\15.0\\Outlook\\Resiliency\\DoNotDisableAddinList" \
            "$hive\\Software\\Microsoft\\Office\\16.0\\Outlook\\Resiliency\\DoNotDisableAddinList"; do
            exists "$key" && echo "$key"
        done
    done
}

# The user's data, which no uninstall may touch: saved credentials, a setting, an activity log, and another
# add-in's entry in both of Outlook's lists.
# The attachment download's log stands for the activity logs: the start-up in the simulated Outlook writes others.
seed_user_data() {
    roaming=$(unix_path "$(wine_ cmd /c echo %APPDATA% 2>>"$log" | tr -d '\r')")
    local_data=$(unix_path "$(wine_ cmd /c echo %LOCALAPPDATA% 2>>"$log" | tr -d '\r')")
    mkdir -p "$roaming/Parcelon" "$local_data/Parcelon"
    echo "saved credentials" >"$roaming/Parcelon/storage.bin"
    echo "[INFO] earlier run" >"$local_data/Parcelon/Attachments.log"
    wine_ reg add 'HKCU\Software\Parcelon' /v SeededSetting /t REG_DWORD /d 7 /f >>"$log" 2>&1
    wine_ reg add "HKCU\\$addins\\Other.Addin" /v LoadBehavior /t REG_DWORD /d 3 /f >>"$log" 2>&1
    wine_ reg add "HKLM\\$addins\\Other.Addin" /v LoadBehavior /t REG_DWORD /d 3 /f >>"$log" 2>&1
}
user_data_kept() {
    [[ "$(cat "$roaming/Parcelon/storage.bin" 2>/dev/null)" == "saved credentials" ]] &&
        grep -q 'earlier run' "$local_data/Parcelon/Attachments.log" 2>/dev/null &&
        dump 'HKCU\Software\Parcelon' | grep -q 'SeededSetting    REG_DWORD    0x7' &&
        exists "HKCU\\$addins\\Other.Addin" && exists "HKLM\\$addins\\Other.Addin"
}

# The add-in created through the DLL's DllGetClassObject and started in the simulated Outlook 2010 against a local
# service that offers a newer version: the harness checks start-up, including the version notice.
source scripts/local-services.sh
harness_startup() {
    local dll=$1 run=$work/harness
    mkdir -p "$run"
    local fd
    exec {fd}> >(exec build/native/bin/sealwing-localservice --seed sim/win32/HarnessService.seed \
        --cert-dir "$run/certificates" >"$run/service.out" 2>"$run/service.err")
    services+=("$fd:$!")
    local port="" ca=""
    for _ in $(seq 400); do
        if grep -q '^ca=' "$run/service.out" 2>/dev/null; then
            port=$(sed -n 's/^port=//p' "$run/service.out")
            ca=$(sed -n 's/^ca=//p' "$run/service.out")
            break
        fi
        sleep 0.05
    done
    if [[ -z "$port" ]]; then
        cat "$run/service.err"
        stop_services
        return 1
    fi
    local offered
    offered=$(sed -nE 's/^version major=([0-9]+) minor=([0-9]+).*/\1.\2/p' sim/win32/HarnessService.seed)
    # Wine's desktop belongs to the display it started on: the X session gets a wineserver of its own.
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
    local status=0
    (
        close_pipes
        SEALWING_SERVICE_ENDPOINT=localhost:$port exec timeout 180 xvfb-run -a "$SEALWING_WINE" \
            "build/windows-$arch/bin/sealwing_harness.exe" --dll "$dll" --scenario startup --outlook-version 14 \
            --trust-ca "Z:${ca//\//\\}" --expect-version "$offered"
    ) >"$run/harness.out" 2>&1 || status=$?
    stop_services
    wineserver -w >/dev/null 2>&1
    wineserver -p >>"$log" 2>&1
    ((status == 0)) || sed 's/^/      /' "$run/harness.out" | tail -n 20
    return "$status"
}

if [[ "$arch" == x64 ]]; then
    package=$packages/Parcelon_x64.msi dll_name=Sealwing_x64.dll staged=$packages/x64/Sealwing_x64.dll
    machine_folder='C:\Program Files\Parcelon'
else
    package=$packages/Parcelon.msi dll_name=Sealwing.dll staged=$packages/x86/Sealwing.dll
    machine_folder='C:\Program Files\Parcelon'
fi
new_prefix "$arch" "$work/prefix-$arch"
user_folder="$(wine_ cmd /c echo %LOCALAPPDATA% 2>>"$log" | tr -d '\r')\\Programs\\Parcelon"
user_dll="$user_folder\\$dll_name"
seed_user_data

echo "== per-user regsvr32 at the package's path, for reference ($arch)"
mkdir -p "$(unix_path "$user_folder")"
cp "$staged" "$(unix_path "$user_dll")"
if timeout 60 "$SEALWING_WINE" regsvr32 /s /i:user /n "$user_dll" >>"$log" 2>&1; then
    reference_classes=$(classes_dump 'HKCU\Software\Classes')
    reference_addin=$(dump "HKCU\\$addins\\Sealwing.SealwingAddin")
    # Wine registers a type library machine-wide even for one user, and marks it as read from disk (FLAGS 8);
    # its help folder has no trailing backslash.
    reference_typelib=$(typelib_dump 'HKLM\Software\Classes' | sed -e 's/HKEY_LOCAL_MACHINE/HKEY_CURRENT_USER/' \
        -e '/\\FLAGS$/{n;s/REG_SZ    8$/REG_SZ    0/}' -e '/\\HELPDIR$/{n;s/$/\\/}')
    timeout 60 "$SEALWING_WINE" regsvr32 /s /u /i:user /n "$user_dll" >>"$log" 2>&1
else
    fail "per-user regsvr32 of the reference failed (see $log)"
fi
rm -rf "$(unix_path "$user_folder")"
[[ -n "$(leftover_keys)" ]] && fail "the reference registration left keys behind: $(leftover_keys)"

echo "== per-user installation (msiexec /i /qn)"
check "msiexec /i ${package##*/} /qn succeeded" msi /i "$package"
check "$dll_name is in the user's local application data ($user_dll), as packaged" \
    cmp -s "$staged" "$(unix_path "$user_dll")"
expect_same "class and ProgIDs under the user's classes key, as per-user regsvr32 writes them" \
    "$reference_classes" "$(classes_dump 'HKCU\Software\Classes')"
expect_same "Outlook's add-in entry under the user's hive, as per-user regsvr32 writes it" \
    "$reference_addin" "$(dump "HKCU\\$addins\\Sealwing.SealwingAddin")"
expect_same "type library and interface under the user's classes key, as regsvr32 writes them (machine-wide in Wine)" \
    "$reference_typelib" "$(typelib_dump 'HKCU\Software\Classes')"
only_user_keys() {
    local left
    left=$(leftover_keys)
    [[ -n "$left" ]] && ! grep -q '^HKLM' <<<"$left" && ! grep -q Resiliency <<<"$left"
}
check "nothing of the add-in under the machine's keys, no resiliency entry by default" only_user_keys
check "the add-in, created through the installed DLL's DllGetClassObject, starts in the simulated Outlook 2010" \
    harness_startup "$user_dll"
check "uninstall (msiexec /x /qn) succeeded" msi /x "$package"
gone() { [[ ! -e "$(unix_path "$1")" ]]; }
check "uninstall removed the DLL and its folder" gone "$user_folder"
expect_same "uninstall removed every key of the add-in" "" "$(leftover_keys)"
check "uninstall kept the saved credentials, the setting, the activity logs and the other add-in's entries" user_data_kept
check "the activity log the add-in wrote in the simulated Outlook is still there" \
    grep -q 'Log opened' "$local_data/Parcelon/Main.log"

echo "== per-machine installation (ALLUSERS=1 DONOTDISABLE=1)"
machine_dll="$machine_folder\\$dll_name"
check "msiexec /i ${package##*/} ALLUSERS=1 DONOTDISABLE=1 /qn succeeded" msi /i "$package" ALLUSERS=1 DONOTDISABLE=1
check "$dll_name is under Program Files ($machine_dll)" cmp -s "$staged" "$(unix_path "$machine_dll")"
machine() {
    local text
    text=$(cat)
    text=${text//HKEY_CURRENT_USER/HKEY_LOCAL_MACHINE}
    echo "${text//"$user_folder"/"$machine_folder"}"
}
expect_same "class and ProgIDs under the machine's classes key" "$(machine <<<"$reference_classes")" \
    "$(classes_dump 'HKLM\Software\Classes')"
expect_same "Outlook's add-in entry under the machine's hive" "$(machine <<<"$reference_addin")" \
    "$(dump "HKLM\\$addins\\Sealwing.SealwingAddin")"
expect_same "type library and interface under the machine's classes key" "$(machine <<<"$reference_typelib")" \
    "$(typelib_dump 'HKLM\Software\Classes')"
expect_same "DONOTDISABLE=1: the add-in on the user's do-not-disable list of Outlook 2013 and 2016 and later" \
    "$(printf '%s\n' "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\15.0\\Outlook\\Resiliency\\DoNotDisableAddinList" \
        "    Sealwing.SealwingAddin    REG_DWORD    0x1" \
        "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\16.0\\Outlook\\Resiliency\\DoNotDisableAddinList" \
        "    Sealwing.SealwingAddin    REG_DWORD    0x1")" \
    "$(dump 'HKCU\Software\Microsoft\Office\15.0\Outlook\Resiliency\DoNotDisableAddinList'
        dump 'HKCU\Software\Microsoft\Office\16.0\Outlook\Resiliency\DoNotDisableAddinList')"
expect_absent "HKCU\\Software\\Classes\\CLSID\\$clsid" "nothing under the user's classes key"
# Wine's msiexec does not take the installed product's context for /x: the administrator's ALLUSERS=1 says it.
check "uninstall (msiexec /x ALLUSERS=1 /qn) succeeded" msi /x "$package" ALLUSERS=1
check "uninstall removed the DLL and its folder" gone "$machine_folder"
expect_same "uninstall removed every key of the add-in, the resiliency entries too" "" "$(leftover_keys)"
check "uninstall kept the saved credentials, the setting, the activity logs and the other add-in's entries" user_data_kept

echo "== upgrade from ${package##*/} 1.38 to a test package 1.39"
upgrade=$work/upgrade
mkdir -p "$upgrade"
# The later version's DLL differs from this one's by bytes appended after its image.
later_dll=$upgrade/$dll_name
cp "build/windows-$arch/bin/$dll_name" "$later_dll"
printf 'later version 1.39\n' >>"$later_dll"
if bash scripts/package-msi.sh --only "$arch" --version 1.39.0 --out "$upgrade" "--dll-$arch" "$later_dll" \
    >>"$log" 2>&1; then
    later_package=$upgrade/${package##*/}
    check "1.38 installed per user" msi /i "$package"
    check "1.39 installed over it (msiexec /i /qn)" msi /i "$later_package"
    check "the DLL is 1.39's" cmp -s "$later_dll" "$(unix_path "$user_dll")"
    one_product() { [[ $(dump 'HKCU\Software\Microsoft\Installer\Products' | grep -c 'ProductName    REG_SZ') == 1 ]]; }
    check "one product is registered: 1.38's entry was removed by the upgrade" one_product
    expect_same "the registration is in place after the upgrade" "$reference_classes" \
        "$(classes_dump 'HKCU\Software\Classes')"
    check "the upgrade kept the user's data" user_data_kept
    check "uninstall of 1.39 succeeded" msi /x "$later_package"
    expect_same "and left no key of the add-in" "" "$(leftover_keys)"
    check "and kept the user's data" user_data_kept
else
    fail "scripts/package-msi.sh could not make the 1.39 test package (see $log)"
fi

if [[ "$arch" == x86 ]]; then
    echo "== the 64-bit package in a 64-bit prefix (wine64)"
    new_prefix x64 "$work/prefix-x64"
    folder64="$(wine_ cmd /c echo %LOCALAPPDATA% 2>>"$log" | tr -d '\r')\\Programs\\Parcelon"
    check "msiexec /i Parcelon_x64.msi /qn succeeded" msi /i "$packages/Parcelon_x64.msi"
    check "Sealwing_x64.dll in place" cmp -s "$packages/x64/Sealwing_x64.dll" "$(unix_path "$folder64\\Sealwing_x64.dll")"
    registered_x64() {
        dump "HKCU\\Software\\Classes\\CLSID\\$clsid\\InprocServer32" | grep -qF "$folder64\\Sealwing_x64.dll" &&
            exists "HKCU\\Software\\Classes\\TypeLib\\$libid\\1.0\\0\\win64"
    }
    check "its class names it, with the win64 type library" registered_x64
    check "msiexec /x Parcelon_x64.msi /qn succeeded" msi /x "$packages/Parcelon_x64.msi"
    check "nothing of it is left" gone "$folder64"
    expect_same "no key of it is left" "" "$(leftover_keys)"
fi

if [[ "$arch" == x64 ]]; then
    # Where no 32-bit program runs, the 32-bit package still installs through 64-bit msiexec, as on 64-bit Windows:
    # into Program Files (x86) and the 32-bit view of the registry, which 32-bit Outlook reads.
    echo "== the 32-bit package in the 64-bit prefix, per machine"
    wow='HKLM\Software\Wow6432Node'
    wow_addin="$wow\\${addins#Software\\}\\Sealwing.SealwingAddin"
    check "msiexec /i Parcelon.msi ALLUSERS=1 /qn succeeded" msi /i "$packages/Parcelon.msi" ALLUSERS=1
    check "Sealwing.dll is under Program Files (x86)" \
        cmp -s "$packages/x86/Sealwing.dll" "$(unix_path 'C:\Program Files (x86)\Parcelon\Sealwing.dll')"
    # The class, the interface and Outlook's entry are in the 32-bit view; type libraries are shared by both views.
    registered_wow() {
        dump "$wow\\Classes\\CLSID\\$clsid\\InprocServer32" |
            grep -qF 'C:\Program Files (x86)\Parcelon\Sealwing.dll' &&
            exists "$wow\\Classes\\Interface\\$iid" && exists "$wow_addin" &&
            exists "HKLM\\Software\\Classes\\TypeLib\\$libid\\1.0\\0\\win32" &&
            [[ "$(leftover_keys)" == "HKLM\\Software\\Classes\\TypeLib\\$libid" ]]
    }
    check "its keys are in the 32-bit view of the registry (the type library in the shared one)" registered_wow
    check "msiexec /x Parcelon.msi ALLUSERS=1 /qn succeeded" msi /x "$packages/Parcelon.msi" ALLUSERS=1
    removed_wow() {
        gone 'C:\Program Files (x86)\Parcelon' && ! exists "$wow\\Classes\\CLSID\\$clsid" &&
            ! exists "$wow\\Classes\\Interface\\$iid" && ! exists "$wow_addin" &&
            [[ -z "$(leftover_keys)" ]]
    }
    check "uninstall removed its file and keys" removed_wow
fi

if ((failures > 0)); then
    echo "test-msi-wine: $failures check(s) failed; Wine's output is in ${log#"$SEALWING_ROOT"/}"
    exit 1
fi
echo "test-msi-wine: all checks passed"
