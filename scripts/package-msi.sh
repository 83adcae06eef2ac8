#!/usr/bin/env bash
# Makes the installer packages after both Windows builds: build/package/Parcelon.msi (Sealwing.dll, 32-bit Outlook)
# and build/package/Parcelon_x64.msi (Sealwing_x64.dll, 64-bit Outlook 2010), from packaging/Parcelon.wxs with wixl.
# The registry entries come from the registrar script and the type library's IDL through write-msi-registry (built
# here in the native tree), so the packages write the keys that regsvr32 writes.
#
#   bash scripts/package-msi.sh [--only x86|x64] [--version 1.38.0] [--out DIR] [--dll-x86 FILE] [--dll-x64 FILE]
#
# Signing: with SEALWING_SIGN_CERT (PEM certificate, with its chain) and SEALWING_SIGN_KEY (PEM private key; its
# password, if any, in SEALWING_SIGN_KEY_PASSWORD) both DLLs and both packages are signed with Authenticode, SHA-256,
# and time-stamped when SEALWING_SIGN_TIMESTAMP names an RFC 3161 time-stamp server. Without them nothing is signed.
# The DLLs are signed as copies in the output folder; the build trees keep theirs as built.
# Needs wixl and msitools, osslsigncode for signing (scripts/install-deps.sh wine installs them).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

only=
version=$(sed -nE 's/^project\(Sealwing VERSION ([0-9]+\.[0-9]+).*/\1.0/p' CMakeLists.txt)
out=$SEALWING_ROOT/build/package
dll_x86=$SEALWING_ROOT/build/windows-x86/bin/Sealwing.dll
dll_x64=$SEALWING_ROOT/build/windows-x64/bin/Sealwing_x64.dll
while (($# > 0)); do
    case "$1" in
        --only) only=$2; shift 2 ;;
        --version) version=$2; shift 2 ;;
        --out) out=$(realpath -m "$2"); shift 2 ;;
        --dll-x86) dll_x86=$(realpath -m "$2"); shift 2 ;;
        --dll-x64) dll_x64=$(realpath -m "$2"); shift 2 ;;
        *) echo "package-msi: unknown argument '$1'" >&2; exit 2 ;;
    esac
done
[[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "package-msi: version '$version' is not major.minor.build" >&2; exit 2; }
architectures=(x86 x64)
[[ -n "$only" ]] && architectures=("$only")

for tool in wixl msibuild; do
    command -v "$tool" >/dev/null || { echo "package-msi: '$tool' is missing (packages wixl and msitools)" >&2; exit 2; }
done
sign=0
if [[ -n "${SEALWING_SIGN_CERT:-}" || -n "${SEALWING_SIGN_KEY:-}" ]]; then
    [[ -f "${SEALWING_SIGN_CERT:-}" && -f "${SEALWING_SIGN_KEY:-}" ]] ||
        { echo "package-msi: SEALWING_SIGN_CERT and SEALWING_SIGN_KEY must both name files" >&2; exit 2; }
    command -v osslsigncode >/dev/null || { echo "package-msi: 'osslsigncode' is missing" >&2; exit 2; }
    sign=1
fi
for arch in "${architectures[@]}"; do
    dll=$dll_x86
    [[ "$arch" == x64 ]] && dll=$dll_x64
    [[ -f "$dll" ]] || { echo "package-msi: $dll is missing (cmake --build --preset windows-$arch)" >&2; exit 2; }
done

# Signs $1 in place: Authenticode, SHA-256, with a time-stamp when a server is named.
sign_file() {
    local file=$1 description=$2
    local arguments=(sign -certs "$SEALWING_SIGN_CERT" -key "$SEALWING_SIGN_KEY" -h sha256 -n "$description")
    [[ -n "${SEALWING_SIGN_KEY_PASSWORD:-}" ]] && arguments+=(-pass "$SEALWING_SIGN_KEY_PASSWORD")
    [[ -n "${SEALWING_SIGN_TIMESTAMP:-}" ]] && arguments+=(-ts "$SEALWING_SIGN_TIMESTAMP")
    osslsigncode "${arguments[@]}" -in "$file" -out "$file.signed" >/dev/null
    mv "$file.signed" "$file"
}

cmake --build --preset native --target write-msi-registry >/dev/null
mkdir -p "$out"
registration=$out/Registration.wxi
build/native/bin/write-msi-registry resources/SealwingAddin.rgs resources/SealwingLib.idl "$registration"

for arch in "${architectures[@]}"; do
    if [[ "$arch" == x64 ]]; then
        dll=$dll_x64 name=Sealwing_x64.dll package=Parcelon_x64.msi
    else
        dll=$dll_x86 name=Sealwing.dll package=Parcelon.msi
    fi
    staged=$out/$arch
    rm -rf "$staged"
    mkdir -p "$staged"
    cp "$dll" "$staged/$name"
    ((sign)) && sign_file "$staged/$name" "Parcelon for Microsoft Outlook"
    # wixl takes its sources' paths relative to the working folder only. It complains about the registry rows
    # that carry no value (the keys to create or remove), and writes them as it should: its output is shown only
    # when it fails.
    if ! (cd "$out" && wixl --arch "$arch" -D Platform="$arch" -D ProductVersion="$version" \
        -D DllSource="$arch/$name" -D RegistrationWxi="${registration##*/}" -o "$package.tmp" \
        "$SEALWING_ROOT/packaging/Parcelon.wxs") >"$out/wixl-$arch.log" 2>&1; then
        cat "$out/wixl-$arch.log" >&2
        echo "package-msi: wixl failed for $package" >&2
        exit 1
    fi
    # What wixl cannot say: the "user or machine" root is -1 in the Registry table (wixl writes 4, which Windows
    # Installer ignores); the resiliency list is written only when the administrator asks for it, and removed by an
    # uninstall (which does not repeat the request; a false condition would keep the entry); and a per-user
    # uninstall also removes the Programs folder of the user's local application data when it leaves it empty.
    msibuild "$out/$package.tmp" \
        -q "UPDATE \`Registry\` SET \`Root\` = -1 WHERE \`Root\` = 4" \
        -q "UPDATE \`Component\` SET \`Condition\` = 'DONOTDISABLE=1 OR REMOVE~=\"ALL\"'
            WHERE \`Component\` = 'Resiliency'" \
        -q "INSERT INTO \`RemoveFile\` (\`FileKey\`, \`Component_\`, \`DirProperty\`, \`InstallMode\`)
            VALUES ('RemoveUserPrograms', 'Addin', 'UserPrograms', 2)"
    ((sign)) && sign_file "$out/$package.tmp" "Parcelon for Microsoft Outlook"
    mv "$out/$package.tmp" "$out/$package"
    echo "package-msi: $out/$package ($(stat -c %s "$out/$package") bytes$( ((sign)) && echo ', signed'))"
done
