#!/usr/bin/env bash
# Fails when a portable source reaches the platform directly: a Windows or POSIX header, an adapter's header, a
# library only an adapter may use, or a preprocessor branch on the platform. Portable means every C/C++ source outside
# a folder named win32/ or posix/ (the adapters) and outside PLATFORM_FOLDERS below. Tests count as portable too: they
# will run on Windows as well. Composition roots (tests, tests/, bench/, tools/ and the programs in main/ folders) may
# name an adapter's header to wire a platform; library code may not. It also fails when a source file is named by no
# CMakeLists.txt, since no build would then compile it, and when a folder includes one that is not below it in
# LAYERS (adapters included; composition roots wire any folder).
#
#   bash scripts/check-portability.sh [root]   (default: the repository)
set -euo pipefail

# Further folders that hold one platform's code only, relative to the root: localservice/ is the Linux-only stand-in
# of the remote service (POSIX sockets through cpp-httplib, OpenSSL), never part of the add-in.
PLATFORM_FOLDERS=(localservice)

# The order of the top-level folders: each may include itself and the folders listed after it, nothing else. A
# folder that needs something from one above it is handed it (an interface, a callback) by the add-in, which wires
# everything. Peers on one line (mailstore, dialogs) may not include each other.
declare -A LAYERS=(
    [addin]="compose options reading mailstore dialogs service settings xml diagnostics outlook platform"
    [compose]="options reading mailstore dialogs service settings xml diagnostics outlook platform"
    [options]="mailstore dialogs service settings xml diagnostics outlook platform"
    [reading]="mailstore dialogs service settings xml diagnostics outlook platform"
    [mailstore]="service settings xml diagnostics outlook platform"
    [dialogs]="service settings xml diagnostics outlook platform"
    [service]="settings xml diagnostics outlook platform"
    [settings]="xml diagnostics outlook platform"
    [xml]="platform"
    [diagnostics]="outlook platform"
    [outlook]="platform"
    [platform]=""
    # The simulated Outlook implements the host interface and the ports, and knows no feature.
    [sim]="outlook platform"
    # The local stand-in of the service shares nothing with the client it is there to catch out.
    [localservice]=""
)

root=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
cd "$root"

list_sources() {
    if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git ls-files --cached --others --exclude-standard
    else
        find . -path ./build -prune -o -path ./.git -prune -o -type f -print | sed 's|^\./||'
    fi
}

mapfile -t sources < <(
    list_sources | grep -E '\.(h|hh|hpp|hxx|inl|ipp|c|cc|cpp|cxx)$' | grep -Ev '(^|/)(win32|posix)/' |
        while IFS= read -r path; do
            skip=
            for folder in "${PLATFORM_FOLDERS[@]}"; do [[ "$path" == "${folder%/}/"* ]] && skip=1; done
            [[ -z "$skip" && -f "$path" ]] && printf '%s\n' "$path"
        done
)

if [[ ${#sources[@]} -eq 0 ]]; then
    echo "portability: no portable sources found under $root" >&2
    exit 1
fi

# Every source file must be named by a CMakeLists.txt of its folder or a folder above it: a file that no build
# compiles (a Windows adapter above all) would rot unseen.
unbuilt=0
while IFS= read -r path; do
    folder=$(dirname "$path")
    relative=$(basename "$path")
    listed=
    while :; do
        if [[ -f "$folder/CMakeLists.txt" ]] && grep -qwF -- "$relative" "$folder/CMakeLists.txt"; then
            listed=1
            break
        fi
        [[ "$folder" == . ]] && break
        relative="$(basename "$folder")/$relative"
        folder=$(dirname "$folder")
    done
    if [[ -z "$listed" ]]; then
        echo "$path: no CMakeLists.txt builds it"
        unbuilt=$((unbuilt + 1))
    fi
done < <(
    list_sources | grep -E '\.(c|cc|cpp|cxx)$' | while IFS= read -r path; do [[ ! -f "$path" ]] || echo "$path"; done
)

status=0
awk '
BEGIN {
    split("windows.h windef.h winbase.h winnt.h winuser.h wingdi.h winreg.h winerror.h winsock.h winsock2.h " \
          "ws2tcpip.h winhttp.h wininet.h wincrypt.h dpapi.h shlobj.h shlwapi.h shellapi.h shtypes.h knownfolders.h " \
          "commctrl.h commdlg.h richedit.h objbase.h ole2.h oleauto.h olectl.h oaidl.h ocidl.h objidl.h unknwn.h " \
          "wtypes.h guiddef.h propidl.h servprov.h docobj.h exdisp.h exdispid.h mshtml.h mshtmhst.h mshtmdid.h " \
          "comdef.h comutil.h comip.h tchar.h process.h io.h direct.h conio.h crtdbg.h mmsystem.h psapi.h " \
          "dbghelp.h tlhelp32.h gdiplus.h uxtheme.h versionhelpers.h sddl.h aclapi.h lmcons.h sspi.h " \
          "imagehlp.h imessage.h edkmdb.h msoav.h initguid.h rpc.h rpcndr.h intsafe.h strsafe.h", list, " ")
    for (i in list) windows[list[i]] = 1
    split("unistd.h fcntl.h pthread.h dlfcn.h dirent.h poll.h termios.h pwd.h grp.h netdb.h spawn.h syslog.h " \
          "semaphore.h sched.h libgen.h glob.h fnmatch.h iconv.h langinfo.h endian.h byteswap.h execinfo.h " \
          "link.h elf.h malloc.h alloca.h ifaddrs.h utime.h ucontext.h wordexp.h err.h getopt.h features.h " \
          "mqueue.h aio.h ftw.h strings.h regex.h utmp.h sysexits.h", list, " ")
    for (i in list) posix[list[i]] = 1
    split("sodium.h", list, " ")
    for (i in list) adapterOnly[list[i]] = 1
    branch = "(^|[^A-Za-z0-9_])(_WIN32|_WIN64|WIN32|_WIN32_WINNT|_WINDOWS|__WIN32__|__MINGW32__|__MINGW64__|" \
             "_MSC_VER|__CYGWIN__|__linux__|__linux|linux|__gnu_linux__|__unix__|__unix|unix|__APPLE__|__MACH__|" \
             "__FreeBSD__|__ANDROID__|__sun|_POSIX_VERSION)([^A-Za-z0-9_]|$)"
    problems = 0
}
function IsCompositionRoot(path) {
    return path ~ /(^|\/)(tests|main|bench|tools|fuzz)\// || path ~ /_test\.(cpp|cc|cxx)$/
}
function report(reason) {
    printf "%s:%d: %s\n    %s\n", FILENAME, FNR, reason, $0
    problems++
}
/^[ \t]*#[ \t]*include[ \t]*[<"]/ {
    header = $0
    sub(/^[ \t]*#[ \t]*include[ \t]*[<"]/, "", header)
    sub(/[>"].*$/, "", header)
    name = tolower(header)
    if (name in windows || name ~ /^(win|mapi|atl|ole)[a-z0-9_]*\.h$/ || name ~ /^(wrl|winrt)\//)
        report("includes <" header ">, a Windows header")
    else if (name in posix || name ~ /^(sys|netinet|arpa|net|linux|asm|bits|x11)\//)
        report("includes <" header ">, a POSIX or Linux header")
    else if (name in adapterOnly || name ~ /^(curl|openssl|gnutls)\//)
        report("includes <" header ">, a library only an adapter may use")
    else if (name ~ /(^|\/)(win32|posix)\// && !IsCompositionRoot(FILENAME))
        report("includes \"" header "\", an adapter of one platform")
    next
}
/^[ \t]*#[ \t]*(if|ifdef|ifndef|elif|elifdef|elifndef)([ \t(!]|$)/ {
    if ($0 ~ branch) report("branches on the platform; put the difference behind a port instead")
}
END {
    printf "portability: %d portable sources checked, %d problem%s\n", ARGC - 1, problems, problems == 1 ? "" : "s"
    exit problems > 0
}
' "${sources[@]}" || status=$?
# The folder order. Composition roots (tests, test data, fuzz targets, build-time tools, the programs in main/, the
# Wine harness in sim/win32/) wire folders together and may include any of them.
layering=0
while IFS= read -r path; do
    [[ "$path" =~ (^|/)(tests|bench|main|testdata|fuzz|tools)/ || "$path" =~ _test\.(cpp|cc|cxx)$ || "$path" == sim/win32/* ]] &&
        continue
    folder=${path%%/*}
    [[ -v "LAYERS[$folder]" ]] || continue
    while IFS= read -r included; do
        target=${included%%/*}
        [[ "$target" == "$folder" || ! -v "LAYERS[$target]" ]] && continue
        if [[ " ${LAYERS[$folder]} " != *" $target "* ]]; then
            echo "$path: includes \"$included\", but $folder/ may include only: ${LAYERS[$folder]:-(nothing)}"
            layering=$((layering + 1))
        fi
    done < <(sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/p' "$path")
done < <(list_sources | grep -E '\.(h|hh|hpp|cc|cpp|cxx)$' | while IFS= read -r path; do [[ ! -f "$path" ]] || echo "$path"; done)
if ((layering > 0)); then
    echo "portability: $layering include(s) against the folder order (LAYERS in this script)"
    status=1
fi
if ((unbuilt > 0)); then
    echo "portability: $unbuilt source file(s) that no build compiles"
    status=1
fi
exit "$status"
